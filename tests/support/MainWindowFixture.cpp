#include "support/MainWindowFixture.h"

#include "device/SupplyDevice.h"
#include "platform/Clock.h"
#include "platform/qt/ControlIds.h"
#include "platform/Paths.h"
#include "plot/MeterStatic.h"
#include "support/QtTestApp.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <filesystem>

void MainWindowFixture::SetUp() {
    qtTestApp();
    platform::setExecutableDirectoryForTest(dir.path());
    std::filesystem::create_directory(dir.file("ports"));
    ASSERT_TRUE(sim.start());
    ASSERT_TRUE(sim.linkAs(dir.file("ports/com3")));
}

void MainWindowFixture::TearDown() {
    window.reset();
    SupplyDevice::disconnect();
    platform::setExecutableDirectoryForTest("");
    platform::setClockForTest({});
}

void MainWindowFixture::open(const std::vector<std::string>& iniLines) {
    std::string ini = "[QUOREL]\r\n";
    for (const auto& line : iniLines)
        ini += line + "\r\n";
    TempDir::write(dir.file("Quorel.ini"), ini);
    window = std::make_unique<MainDialog>();
    window->OnInitDialog();
}

void MainWindowFixture::openConnected(const std::vector<std::string>& extra) {
    std::vector<std::string> lines{"ComPort=com3", "ConnectAtStart=1"};
    lines.insert(lines.end(), extra.begin(), extra.end());
    open(lines);
    ASSERT_TRUE(window->isConnected());
    sim.clearReceived();
}

QWidget* MainWindowFixture::control(int id) const {
    QWidget* w = platform::controlById(window.get(), id);
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}

void MainWindowFixture::click(int id) const {
    auto* b = dynamic_cast<QAbstractButton*>(control(id));
    ASSERT_NE(b, nullptr);
    b->click();
}

std::string MainWindowFixture::text(int id) const {
    QWidget* w = control(id);
    if (auto* e = dynamic_cast<QLineEdit*>(w))
        return e->text().toStdString();
    if (auto* l = dynamic_cast<QLabel*>(w))
        return l->text().toStdString();
    if (auto* m = dynamic_cast<MeterStatic*>(w))
        return m->text().toStdString();
    if (auto* b = dynamic_cast<QAbstractButton*>(w))
        return b->text().toStdString();
    if (auto* g = dynamic_cast<QGroupBox*>(w))
        return g->title().toStdString();
    return {};
}

void MainWindowFixture::setText(int id, const std::string& text) const {
    auto* e = dynamic_cast<QLineEdit*>(control(id));
    ASSERT_NE(e, nullptr);
    e->setText(QString::fromStdString(text));
}

bool MainWindowFixture::enabled(int id) const {
    return control(id)->isEnabled();
}

std::vector<std::string> MainWindowFixture::logMessages() const {
    auto* pane = dynamic_cast<QPlainTextEdit*>(control(MainDialog::IdLogPane));
    std::vector<std::string> out;
    for (const QString& line : pane->toPlainText().split('\n', Qt::SkipEmptyParts)) {
        // "[HH:MM:SS] message"
        out.push_back(line.mid(11).toStdString());
    }
    return out;
}

std::string MainWindowFixture::lastLog() const {
    auto lines = logMessages();
    return lines.empty() ? std::string() : lines.back();
}
