// quorelctl in the language asked for: --lang, else [DISPLAY] Language of Quorel.ini, else
// Japanese; its messages, the system-log file and the port access lines alike.
#include "CtlTestSupport.h"

#include "ctl/ExitCode.h"
#include "device/SerialPort.h"
#include "resources/Language.h"
#include "support/CaseNames.h"

#include <sys/stat.h>

namespace {

struct LanguageCase {
    const char* name;
    const char* display; // the [DISPLAY] section's lines, if any
    std::vector<std::string> args;
    const char* err;
};

class CtlLanguage : public CtlTest, public testing::WithParamInterface<LanguageCase> {
protected:
    void SetUp() override {
        CtlTest::SetUp();
        ::setenv("LANG", "C", 1);
    }
    void TearDown() override {
        ::unsetenv("LANG");
        texts::useLanguage(texts::Language::Japanese);
        CtlTest::TearDown();
    }
};

const char* const EnglishFailure = "Cannot connect to the device on com7 (cannot open the port)\n";
const char* const JapaneseFailure = "デバイス com7 を接続できません (ポートを開けません)\n";

} // namespace

TEST_P(CtlLanguage, MessagesComeInTheLanguageAskedFor) {
    const LanguageCase& c = GetParam();
    writeIni(std::string("ComPort=com7\r\n") + c.display);
    const CtlRun r = runCtl(c.args);
    EXPECT_EQ(r.code, ctl::DeviceOpenFailed);
    EXPECT_EQ(r.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Quorelctl, CtlLanguage,
    testing::Values(
        LanguageCase{"JapaneseWithoutASetting", "", {"info"}, JapaneseFailure},
        LanguageCase{"OptionAsksForEnglish", "", {"info", "--lang", "en"}, EnglishFailure},
        LanguageCase{"OptionBeforeTheCommand", "", {"--lang=en", "info"}, EnglishFailure},
        LanguageCase{
            "SettingAsksForEnglish", "[DISPLAY]\r\nLanguage=en\r\n", {"info"}, EnglishFailure},
        LanguageCase{"OptionOverridesTheSetting",
                     "[DISPLAY]\r\nLanguage=en\r\n",
                     {"info", "--lang", "ja"},
                     JapaneseFailure},
        LanguageCase{
            "AutoOnAnEnglishSystem", "[DISPLAY]\r\nLanguage=auto\r\n", {"info"}, EnglishFailure},
        LanguageCase{"UnusableSettingIsNamedAndJapaneseKept",
                     "[DISPLAY]\r\nLanguage=fr\r\n",
                     {"info"},
                     "設定 [DISPLAY] Language の値が正しくないため既定値を使います\n"
                     "デバイス com7 を接続できません (ポートを開けません)\n"}),
    casenames::ByName());

TEST_F(CtlTest, UnknownLanguageIsAUsageError) {
    const CtlRun r = runCtl({"info", "--lang", "de"});
    EXPECT_EQ(r.code, ctl::Usage);
    EXPECT_EQ(r.err, "quorelctl: --lang takes ja, en or auto\nTry 'quorelctl help'.\n");
}

TEST_F(CtlTest, SystemLogFileIsWrittenInTheChosenLanguage) {
    writeIni("ComPort=com3\r\nUseSysLogFile=1\r\n[DISPLAY]\r\nLanguage=en\r\n");
    EXPECT_EQ(runCtl({"set", "5", "0.1"}).code, ctl::Success);
    texts::useLanguage(texts::Language::Japanese);
    const std::string bytes = TempDir::read(dir.file("system.log"));
    EXPECT_NE(bytes.find("] Output set to 5.00V/0.100A\r\n"), std::string::npos) << bytes;
}

TEST_F(CtlTest, PortHeldByAnotherProgramIsNamedAfterTheFailedConnect) {
    auto holder = SerialPort::open(sim.portPath(), 9600);
    ASSERT_TRUE(holder);
    const CtlRun r = runCtl({"info", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::DeviceOpenFailed);
    EXPECT_EQ(r.err, "デバイス com3 を接続できません (ポートを開けません)\nポート com3 (" +
                         dir.file("ports/com3") + ") は他のプログラムが使用中です\n");
}

TEST(QuorelctlProgram, UserOutsideTheGroupOfThePortIsToldToJoinIt) {
    TempDir dir;
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    ASSERT_EQ(::chown(sim.portPath().c_str(), 0, 20), 0); // root:dialout, as udev leaves it
    ASSERT_EQ(::chmod(sim.portPath().c_str(), 0660), 0);
    Child child(dir, {"info", "--port", sim.portPath(), "--lang", "en"}, true);
    EXPECT_EQ(child.wait(5000), ctl::DeviceOpenFailed);
    EXPECT_EQ(TempDir::read(dir.file("err")),
              "Cannot connect to the device on " + sim.portPath() +
                  " (cannot open the port)\nNo permission to open port " + sim.portPath() +
                  ": join the group dialout (sudo usermod -aG dialout $USER), then log in "
                  "again\n");
}
