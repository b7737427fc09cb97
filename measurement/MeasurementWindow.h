#pragma once

#include <QWidget>

#include <functional>
#include <string>

class QScrollArea;
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
    // What holds the pages and scrolls them when the window is smaller than they are.
    QScrollArea* scroller() const { return scroller_; }
    // Resizes to the size wanted as far as the screen's free area holds it, frame included,
    // and moves the window into that area when it reaches beyond it.
    void resizeWithinScreen(QSize wanted);
    // Files dropped onto the window go here (the first local file of a drop); without a
    // handler the window takes no drops.
    void setFileDropHandler(std::function<void(const std::string&)> handler);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QScrollArea* scroller_ = nullptr;
    QTabWidget* pages_ = nullptr;
    std::function<void(const std::string&)> dropHandler_;
};
