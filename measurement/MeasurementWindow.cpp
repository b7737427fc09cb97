#include "measurement/MeasurementWindow.h"

#include "measurement/ProtectionsPage.h"
#include "measurement/StatisticsPage.h"
#include "resources/Texts.h"

#include <QTabWidget>
#include <QVBoxLayout>

MeasurementWindow::MeasurementWindow(session::MeasurementSession& session, const Settings& settings,
                                     LogFunction log, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName("measurementWindow");
    setWindowTitle(QString::fromUtf8(texts::MeasurementCaption));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("measurementPages");
    layout->addWidget(pages_);
    addPage(new StatisticsPage(session, log, pages_), QString::fromUtf8(texts::PageStatistics));
    addPage(new ProtectionsPage(session, settings, log, pages_),
            QString::fromUtf8(texts::PageProtections));
    resize(520, 380);
}

MeasurementWindow::~MeasurementWindow() = default;

void MeasurementWindow::addPage(QWidget* page, const QString& title) {
    pages_->addTab(page, title);
}
