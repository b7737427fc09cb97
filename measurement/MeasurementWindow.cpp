#include "measurement/MeasurementWindow.h"

#include "measurement/ProtectionsPage.h"
#include "measurement/StatisticsPage.h"
#include "platform/qt/Accessible.h"
#include "resources/Texts.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
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
    // The pages scroll when the window is smaller than they would like (a small screen, a
    // large scale factor), so that the window fits any screen and every control stays
    // within reach.
    scroller_ = new QScrollArea(this);
    scroller_->setObjectName("measurementScroller");
    scroller_->setWidgetResizable(true);
    scroller_->setFrameShape(QFrame::NoFrame);
    // Not a stop of its own for the keyboard: the focus goes to the controls, and the area
    // scrolls to the one that takes it.
    scroller_->setFocusPolicy(Qt::NoFocus);
    pages_ = new QTabWidget(scroller_);
    pages_->setObjectName("measurementPages");
    platform::describe(pages_->tabBar(), texts::A11yPagesHelp);
    scroller_->setWidget(pages_);
    layout->addWidget(scroller_);
    addPage(new StatisticsPage(session, log, pages_),
            QString::fromUtf8(texts::PageStatistics.c_str()),
            QString::fromUtf8(texts::A11yStatisticsPageHelp.c_str()));
    addPage(new ProtectionsPage(session, settings, log, pages_),
            QString::fromUtf8(texts::PageProtections.c_str()),
            QString::fromUtf8(texts::A11yProtectionsPageHelp.c_str()));
    resize(520, 380);
}

MeasurementWindow::~MeasurementWindow() = default;

void MeasurementWindow::resizeWithinScreen(QSize wanted) {
    const QRect room = screen()->availableGeometry();
    // The frame the window system adds, known once the window exists there (at once on most
    // systems; an X11 window manager tells it later and keeps the frame on the screen itself).
    winId();
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(wanted.boundedTo(room.size() - frame));
    if (!room.contains(frameGeometry()))
        move(room.topLeft());
}

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
