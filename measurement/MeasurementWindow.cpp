#include "measurement/MeasurementWindow.h"

#include "measurement/ProtectionsPage.h"
#include "measurement/StatisticsPage.h"
#include "platform/qt/Accessible.h"
#include "resources/Texts.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

MeasurementWindow::MeasurementWindow(session::MeasurementSession& session, const Settings& settings,
                                     LogFunction log, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName("measurementWindow");
    setWindowTitle(QString::fromUtf8(texts::MeasurementCaption.c_str()));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("measurementPages");
    platform::describe(pages_->tabBar(), texts::A11yPagesHelp);
    layout->addWidget(pages_);
    addPage(new StatisticsPage(session, log, pages_),
            QString::fromUtf8(texts::PageStatistics.c_str()),
            QString::fromUtf8(texts::A11yStatisticsPageHelp.c_str()));
    addPage(new ProtectionsPage(session, settings, log, pages_),
            QString::fromUtf8(texts::PageProtections.c_str()),
            QString::fromUtf8(texts::A11yProtectionsPageHelp.c_str()));
    resize(520, 380);
}

MeasurementWindow::~MeasurementWindow() = default;

void MeasurementWindow::addPage(QWidget* page, const QString& title, const QString& description) {
    const int at = pages_->addTab(page, title);
    // What the page holds, shown on its tab and read out by a screen reader.
    pages_->setTabToolTip(at, description);
    page->setAccessibleDescription(description);
}

namespace {

// The first local file a drag carries; empty when it carries none.
std::string droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile().toStdString();
    return {};
}

} // namespace

void MeasurementWindow::setFileDropHandler(std::function<void(const std::string&)> handler) {
    dropHandler_ = std::move(handler);
    setAcceptDrops(dropHandler_ != nullptr);
}

void MeasurementWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (dropHandler_ && !droppedFile(event->mimeData()).empty())
        event->acceptProposedAction();
}

void MeasurementWindow::dropEvent(QDropEvent* event) {
    const std::string path = droppedFile(event->mimeData());
    if (!dropHandler_ || path.empty())
        return;
    event->acceptProposedAction();
    dropHandler_(path);
}
