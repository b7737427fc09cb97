// Every window in Japanese and in English: no label, button or title cut off, and every
// control that takes the focus named and described for a screen reader.
#include "config/Settings.h"
#include "config/ui/SettingsDialog.h"
#include "firmware/ui/FirmwareUpdateDialog.h"
#include "firmware/ui/TransferProgressDialog.h"
#include "logs/ui/LogFileDialog.h"
#include "measurement/MeasurementWindow.h"
#include "panel/AboutDialog.h"
#include "panel/MainDialog.h"
#include "platform/qt/ControlIds.h"
#include "resources/Texts.h"
#include "resources/ui/Translation.h"
#include "support/MainWindowFixture.h"
#include "support/WindowCheck.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>

namespace {

struct WindowCase {
    const char* name;
    texts::Language language;
    // Opens the window from the main window as the operator would; the page index for the
    // measurement window's pages.
    std::function<QWidget*(MainDialog&, Settings&)> open;
};

class EveryWindow : public MainWindowFixture, public testing::WithParamInterface<WindowCase> {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::installLanguage(GetParam().language, {QUOREL_TRANSLATIONS_DIR});
        MainWindowFixture::open();
        window->show();
        QApplication::setActiveWindow(window.get());
        settings = std::make_unique<Settings>();
        shown = GetParam().open(*window, *settings);
        ASSERT_NE(shown, nullptr);
        shown->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        if (shown && shown != window.get() && shown->parent() == nullptr)
            delete shown;
        shown = nullptr;
        ui::installLanguage(texts::Language::Japanese, {QUOREL_TRANSLATIONS_DIR});
        MainWindowFixture::TearDown();
    }

    std::unique_ptr<Settings> settings;
    QWidget* shown = nullptr;
};

QWidget* measurementPage(MainDialog& main, int page) {
    QTest::keyClick(&main, Qt::Key_M, Qt::ControlModifier);
    MeasurementWindow* m = main.measurementWindow();
    if (!m)
        return nullptr;
    m->findChild<QTabWidget*>("measurementPages")->setCurrentIndex(page);
    return m;
}

std::vector<WindowCase> everyWindowInBothLanguages() {
    const std::pair<const char*, std::function<QWidget*(MainDialog&, Settings&)>> windows[] = {
        {"MainWindow", [](MainDialog& m, Settings&) -> QWidget* { return &m; }},
        {"Settings",
         [](MainDialog& m, Settings& s) -> QWidget* { return new SettingsDialog(s, &m); }},
        {"LogChooser", [](MainDialog& m, Settings&) -> QWidget* { return new LogFileDialog(&m); }},
        {"FirmwareUpdate",
         [](MainDialog& m, Settings&) -> QWidget* { return new FirmwareUpdateDialog(&m); }},
        {"Transfer",
         [](MainDialog& m, Settings&) -> QWidget* { return new TransferProgressDialog(&m); }},
        {"About", [](MainDialog& m, Settings&) -> QWidget* { return new AboutDialog(&m); }},
        {"Statistics", [](MainDialog& m, Settings&) { return measurementPage(m, 0); }},
        {"Protections", [](MainDialog& m, Settings&) { return measurementPage(m, 1); }},
        {"History", [](MainDialog& m, Settings&) { return measurementPage(m, 2); }},
        {"Remote", [](MainDialog& m, Settings&) { return measurementPage(m, 3); }},
        {"Sequence", [](MainDialog& m, Settings&) { return measurementPage(m, 4); }},
    };
    std::vector<WindowCase> cases;
    for (const auto& [name, open] : windows) {
        cases.push_back({name, texts::Language::Japanese, open});
        cases.push_back({name, texts::Language::English, open});
    }
    return cases;
}

} // namespace

TEST_P(EveryWindow, ShowsEveryTextWhole) {
    EXPECT_EQ(windowcheck::textsCutOff(shown), std::vector<std::string>{});
}

TEST_P(EveryWindow, NamesAndDescribesEveryControlThatTakesTheFocus) {
    EXPECT_EQ(windowcheck::unnamedControls(shown), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Languages, EveryWindow, testing::ValuesIn(everyWindowInBothLanguages()),
                         [](const testing::TestParamInfo<WindowCase>& info) {
                             return std::string(info.param.name) +
                                    (info.param.language == texts::Language::Japanese
                                         ? "InJapanese"
                                         : "InEnglish");
                         });

namespace {

class MainWindowStates : public MainWindowFixture,
                         public testing::WithParamInterface<texts::Language> {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::installLanguage(GetParam(), {QUOREL_TRANSLATIONS_DIR});
    }
    void TearDown() override {
        ui::installLanguage(texts::Language::Japanese, {QUOREL_TRANSLATIONS_DIR});
        MainWindowFixture::TearDown();
    }
    void show(int id, const char* text) const {
        QWidget* w = control(id);
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(QString::fromUtf8(text));
        else if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(QString::fromUtf8(text));
    }
};

} // namespace

// The texts the main window's fixed layout shows only in some states: each in its place.
TEST_P(MainWindowStates, ShowEveryStateTextWhole) {
    open({"ComPort=com3", "PlotSpan=240"});
    window->show();
    using Id = MainDialog::ControlId;
    show(Id::IdConnectButton, texts::ButtonDisconnect);
    show(Id::IdLogButton, texts::ButtonLogStop);
    for (const char* source : {texts::SourceUsbHostInitial, texts::SourceUsbHost,
                               texts::SourceAdapter, texts::SourceAdapterIdle}) {
        show(Id::IdSourceText, source);
        EXPECT_EQ(windowcheck::textsCutOff(window.get()), std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, MainWindowStates,
                         testing::Values(texts::Language::Japanese, texts::Language::English),
                         [](const testing::TestParamInfo<texts::Language>& info) {
                             return info.param == texts::Language::Japanese ? "Japanese"
                                                                            : "English";
                         });

namespace {
class KeyboardOrder : public MainWindowFixture {};
} // namespace

TEST_F(KeyboardOrder, TabGoesThroughTheMainWindowInReadingOrder) {
    openConnected();
    window->show();
    QApplication::setActiveWindow(window.get());
    using Id = MainDialog::ControlId;
    control(Id::IdDeriveCurrent)->setFocus();
    std::vector<int> visited{platform::controlId(QApplication::focusWidget())};
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(platform::controlId(QApplication::focusWidget()));
    }
    EXPECT_EQ(visited, (std::vector<int>{Id::IdDeriveCurrent, Id::IdVoltageEdit, Id::IdSetVoltage,
                                         Id::IdDeriveVoltage, Id::IdCurrentEdit, Id::IdSetCurrent,
                                         Id::IdOutputButton, Id::IdLogButton, Id::IdConnectButton,
                                         Id::IdSettingsButton, Id::IdLogPane}));
}
