// Where the settings, relatively named logs and the ports/ links live: beside the executable
// for a portable copy (a folder it may write, or one that holds Quorel.ini already), in the
// user's folder for an installed program. Tests run as root, whom no folder's mode stops, so
// a folder's writability is set through the platform's seam.
#include "config/PortList.h"
#include "config/Settings.h"
#include "ctl/Quorelctl.h"
#include "device/SerialPort.h"
#include "logs/SystemLog.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "simulator/SimulatedSupply.h"
#include "support/CaseNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace {

struct Place {
    const char* name;
    bool executableFolderWritable;
    bool iniBesideExecutable;
    bool staysBeside;
    bool dataInstalledBeside = false; // bin/../share/quorel
};

class SettingsPlace : public testing::TestWithParam<Place> {
protected:
    void SetUp() override {
        std::filesystem::create_directory(bin);
        ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
        platform::setExecutableDirectoryForTest(bin);
        const bool writable = GetParam().executableFolderWritable;
        platform::setWritableDirectoryCheckForTest(
            [this, writable](const std::string& d) { return d != bin || writable; });
        if (GetParam().dataInstalledBeside)
            std::filesystem::create_directories(root.file("share/quorel/translations"));
        if (GetParam().iniBesideExecutable)
            TempDir::write(bin + "/Quorel.ini", "[QUOREL]\r\nComPort=com9\r\n");
    }
    void TearDown() override {
        platform::setWritableDirectoryCheckForTest({});
        platform::setExecutableDirectoryForTest("");
        ::unsetenv("XDG_CONFIG_HOME");
    }
    std::string expectedFolder() const { return GetParam().staysBeside ? bin : user; }

    TempDir root;
    const std::string bin = root.file("bin");
    const std::string xdg = root.file("xdg");
    const std::string user = xdg + "/quorel";
};

} // namespace

TEST_P(SettingsPlace, SettingsLogsAndPortLinksShareOneFolder) {
    EXPECT_EQ(platform::settingsBesideExecutable(), GetParam().staysBeside);
    EXPECT_EQ(platform::settingsDirectory(), expectedFolder());

    Settings settings;
    settings.setUseSysLogFile(true);
    EXPECT_TRUE(TempDir::exists(expectedFolder() + "/Quorel.ini"));
    EXPECT_EQ(SystemLog::filePath("system.log"), expectedFolder() + "/system.log");
    EXPECT_EQ(SystemLog::filePath("/var/log/elsewhere.log"), "/var/log/elsewhere.log");

    std::filesystem::create_directories(expectedFolder() + "/ports");
    ASSERT_EQ(::symlink("/dev/null", (expectedFolder() + "/ports/com4").c_str()), 0);
    EXPECT_EQ(SerialPort::devicePath("com4"), expectedFolder() + "/ports/com4");
}

TEST_P(SettingsPlace, QuorelctlFindsItsPortWhereThePanelKeepsIt) {
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    std::filesystem::create_directories(expectedFolder() + "/ports");
    ASSERT_TRUE(sim.linkAs(expectedFolder() + "/ports/com6"));
    TempDir::write(expectedFolder() + "/Quorel.ini", "[QUOREL]\r\nComPort=com6\r\n");
    std::ostringstream out, err;
    EXPECT_EQ(runQuorelctl({"info"}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("com6"), std::string::npos) << out.str();
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SettingsPlace,
    testing::Values(Place{"WritableExecutableFolderIsPortable", true, false, true},
                    Place{"ReadOnlyFolderWithItsIniStaysPortable", false, true, true},
                    Place{"ReadOnlyFolderWithoutIniIsAnInstalledProgram", false, false, false},
                    Place{"InstalledDataBesideEvenForAUserWhoMayWrite", true, false, false, true},
                    Place{"InstalledButKeepingItsIni", true, true, true, true}),
    casenames::ByName());

class InstalledProgram : public SettingsPlace {};

TEST_P(InstalledProgram, MakesTheUserFolderOnlyWhenSomethingIsWritten) {
    Settings settings;
    EXPECT_EQ(settings.comPort(), "com1");
    EXPECT_FALSE(TempDir::exists(user)) << "made before it was needed";

    settings.setComPort("/dev/ttyACM3");
    struct stat st {};
    ASSERT_EQ(::stat(user.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "settings are the user's own";
    EXPECT_EQ(TempDir::read(user + "/Quorel.ini"), "[QUOREL]\r\nComPort=/dev/ttyACM3\r\n");
    EXPECT_FALSE(TempDir::exists(bin + "/Quorel.ini"));
}

TEST_P(InstalledProgram, SystemLogMakesTheUserFolderForItsFirstLine) {
    std::filesystem::create_directories(user);
    TempDir::write(user + "/Quorel.ini", "[QUOREL]\r\nUseSysLogFile=1\r\n");
    Settings settings;
    std::filesystem::remove_all(user); // gone after the start, as a user may do
    SystemLog log(settings);
    log.append("one");
    EXPECT_NE(platform::cp932ToUtf8(TempDir::read(user + "/system.log")).find("] one\r\n"),
              std::string::npos);
}

TEST_P(InstalledProgram, KeepsTheFolderItWasStartedFrom) {
    std::filesystem::current_path(root.path());
    Settings settings;
    EXPECT_EQ(std::filesystem::current_path(), root.path());
}

INSTANTIATE_TEST_SUITE_P(Folders, InstalledProgram,
                         testing::Values(Place{"ReadOnlyExecutableFolder", false, false, false}),
                         casenames::ByName());

// A Quorel.ini that is there but cannot be read (here a folder of that name) is still the
// portable copy's: the settings stay beside the executable, never move to the user's folder.
class UnreadableIni : public SettingsPlace {};

TEST_P(UnreadableIni, KeepsTheSettingsBesideTheExecutable) {
    std::filesystem::create_directory(bin + "/Quorel.ini");
    EXPECT_TRUE(platform::settingsBesideExecutable());
    EXPECT_EQ(platform::settingsDirectory(), bin);
}

INSTANTIATE_TEST_SUITE_P(Folders, UnreadableIni,
                         testing::Values(Place{"ReadOnlyFolderHoldingAFolderNamedQuorelIni", false,
                                               false, true}),
                         casenames::ByName());

struct HomeCase {
    const char* name;
    const char* xdgConfigHome;
    const char* home;
    const char* folder;
};

class UserFolder : public testing::TestWithParam<HomeCase> {
protected:
    void SetUp() override {
        if (const char* h = std::getenv("HOME"))
            savedHome = h;
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        ::setenv("HOME", savedHome.c_str(), 1);
    }
    std::string savedHome;
};

TEST_P(UserFolder, FollowsTheXdgBaseDirectories) {
    const HomeCase& c = GetParam();
    c.xdgConfigHome ? ::setenv("XDG_CONFIG_HOME", c.xdgConfigHome, 1)
                    : ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", c.home, 1);
    EXPECT_EQ(platform::userSettingsDirectory(), c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, UserFolder,
    testing::Values(HomeCase{"ConfigHomeSet", "/cfg", "/home/ann", "/cfg/quorel"},
                    HomeCase{"ConfigHomeUnset", nullptr, "/home/ann", "/home/ann/.config/quorel"},
                    HomeCase{"ConfigHomeEmpty", "", "/home/ann", "/home/ann/.config/quorel"},
                    HomeCase{"RelativeConfigHomeIgnored", "cfg", "/home/ann",
                             "/home/ann/.config/quorel"}),
    casenames::ByName());

// Stable names of USB serial devices, shown by a label a person reads.
struct LinkCase {
    const char* name;
    const char* link;
    const char* readable;
};

class ByIdName : public testing::TestWithParam<LinkCase> {};

TEST_P(ByIdName, KeepsTheDevicesOwnNameOnly) {
    EXPECT_EQ(PortList::readableDeviceName(GetParam().link), GetParam().readable);
}

INSTANTIATE_TEST_SUITE_P(PortList, ByIdName,
                         testing::Values(LinkCase{"UsbInterface", "usb-Quorel_Bench_PSU_0042-if00",
                                                  "Quorel Bench PSU 0042"},
                                         LinkCase{"UsbSerialAdapterPort",
                                                  "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
                                                  "FTDI FT232R USB UART A50285BI"},
                                         LinkCase{"PciBus", "pci-Vendor_Card-if01", "Vendor Card"},
                                         LinkCase{"NothingToTakeAway", "mydevice", "mydevice"},
                                         LinkCase{"OnlyABusPrefix", "usb-", "usb-"}),
                         casenames::ByName());
