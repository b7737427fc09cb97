// The panel in the language of its settings: the compiled translation that the windows load
// agrees with the English built into the core, the toolkit's own texts follow, the system log
// (pane and file) is written in it, and a port that cannot be opened is explained there.
#include "device/SerialPort.h"
#include "panel/ControlApp.h"
#include "platform/Cp932.h"
#include "resources/Texts.h"
#include "resources/ui/Translation.h"
#include "support/MainWindowFixture.h"
#include "support/QtTestApp.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>

#include <memory>

namespace {

class PanelLanguage : public MainWindowFixture {
protected:
    void TearDown() override {
        ui::installLanguage(texts::Language::Japanese, {QUOREL_TRANSLATIONS_DIR});
        MainWindowFixture::TearDown();
    }
    // The undo command of a field's context menu: one of the toolkit's own texts.
    static std::string toolkitUndo() {
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        return menu->actions().front()->text().section('\t', 0, 0).toStdString();
    }
};

} // namespace

TEST_F(PanelLanguage, CompiledTranslationAgreesWithTheBuiltInEnglish) {
    ASSERT_TRUE(ui::installLanguage(texts::Language::English, {QUOREL_TRANSLATIONS_DIR}))
        << "quorel_en.qm is not in " << QUOREL_TRANSLATIONS_DIR;
    for (const texts::NamedText& t : texts::allTexts())
        EXPECT_EQ(QCoreApplication::translate(texts::Context, t.text->source()).toStdString(),
                  texts::builtInEnglish(t.text->source()).value_or("(none)"))
            << t.name;
}

TEST_F(PanelLanguage, WithoutTheCompiledFileTheBuiltInEnglishIsShown) {
    EXPECT_FALSE(ui::installLanguage(texts::Language::English, {dir.file("nowhere")}));
    EXPECT_STREQ(texts::ButtonSettings, "Settings");
}

TEST_F(PanelLanguage, ToolkitTextsFollowTheLanguage) {
    ui::installLanguage(texts::Language::English, {QUOREL_TRANSLATIONS_DIR});
    EXPECT_EQ(toolkitUndo(), "&Undo");
    ui::installLanguage(texts::Language::Japanese, {QUOREL_TRANSLATIONS_DIR});
    EXPECT_NE(toolkitUndo(), "&Undo") << "the toolkit's Japanese (qt6-translations-l10n)";
}

TEST_F(PanelLanguage, SettingsChooseTheLanguageAndTheLogsFollowIt) {
    TempDir::write(dir.file("Quorel.ini"),
                   "[QUOREL]\r\nUseSysLogFile=1\r\n[DISPLAY]\r\nLanguage=en\r\n");
    ASSERT_EQ(ControlApp::chosenLanguage(), texts::Language::English);
    ui::installLanguage(ControlApp::chosenLanguage(), {QUOREL_TRANSLATIONS_DIR});
    window = std::make_unique<MainDialog>();
    window->OnInitDialog();
    EXPECT_EQ(text(MainDialog::IdConnectButton), "&Connect");
    EXPECT_EQ(lastLog(), "Control program started");
    EXPECT_NE(TempDir::read(dir.file("system.log")).find("] Control program started\r\n"),
              std::string::npos);
}

TEST_F(PanelLanguage, UnusableLanguageSettingIsLoggedAndJapaneseKept) {
    TempDir::write(dir.file("Quorel.ini"), "[QUOREL]\r\n[DISPLAY]\r\nLanguage=english\r\n");
    EXPECT_EQ(ControlApp::chosenLanguage(), texts::Language::Japanese);
    window = std::make_unique<MainDialog>();
    window->OnInitDialog();
    EXPECT_EQ(logMessages(), (std::vector<std::string>{
                                 "制御ソフト起動しました",
                                 "設定 [DISPLAY] Language の値が正しくないため既定値を使います"}));
}

TEST_F(PanelLanguage, PortHeldByAnotherProgramIsNamedAfterTheFailedConnect) {
    auto holder = SerialPort::open(sim.portPath(), 9600);
    ASSERT_TRUE(holder);
    open({"ComPort=com3", "ConnectAtStart=1"});
    EXPECT_FALSE(window->isConnected());
    const auto lines = logMessages();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "デバイス com3 を接続できません");
    EXPECT_EQ(lines.back(),
              "ポート com3 (" + dir.file("ports/com3") + ") は他のプログラムが使用中です");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "デバイス com3 を接続できません");
}
