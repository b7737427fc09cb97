#pragma once

#include <QWidget>

#include <functional>
#include <string>

class QTabWidget;
class Settings;

namespace session {
class MeasurementSession;
}

// The second, resizable window of the panel: pages that look into the measurement session
// (statistics, protections and what later features add). It only shows and asks; every
// action goes through the session, and every log line through the main window's log.
class MeasurementWindow : public QWidget {
    Q_OBJECT
public:
    using LogFunction = std::function<void(const std::string&)>;

    MeasurementWindow(session::MeasurementSession& session, const Settings& settings,
                      LogFunction log, QWidget* parent = nullptr);
    ~MeasurementWindow() override;

    // Adds a page after the built-in ones.
    void addPage(QWidget* page, const QString& title, const QString& description);
    QTabWidget* pages() const { return pages_; }
    // Files dropped onto the window go here (the first local file of a drop); without a
    // handler the window takes no drops.
    void setFileDropHandler(std::function<void(const std::string&)> handler);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QTabWidget* pages_ = nullptr;
    std::function<void(const std::string&)> dropHandler_;
};
