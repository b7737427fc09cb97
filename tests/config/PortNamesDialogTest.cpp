// The settings dialog's port list shows the stable names under /dev/serial/by-id by their
// readable labels, while the setting keeps the path.
#include "config/PortList.h"
#include "config/Settings.h"
#include "config/ui/SettingsDialog.h"
#include "platform/Paths.h"
#include "platform/qt/ControlIds.h"
#include "support/QtTestApp.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class PortNames : public testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        platform::setExecutableDirectoryForTest(dir.path());
        std::filesystem::create_directories(byId);
        std::filesystem::create_directories(dev);
        PortList::deviceFolders() = {dev, byId};
    }
    void TearDown() override {
        PortList::deviceFolders() = {};
        platform::setExecutableDirectoryForTest("");
    }
    TempDir dir;
    const std::string dev = dir.file("dev");
    const std::string byId = dir.file("dev/serial/by-id");
};

} // namespace

TEST_F(PortNames, ListShowsTheLabelAndTheSettingKeepsThePath) {
    std::filesystem::create_symlink("../../ttyACM0", byId + "/usb-Quorel_Bench_PSU_0042-if00");
    const std::string path = byId + "/usb-Quorel_Bench_PSU_0042-if00";
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    auto* list = platform::controlById<QComboBox>(&dialog, SettingsDialog::IdComPort);
    ASSERT_NE(list, nullptr);
    const int item = list->findText("Quorel Bench PSU 0042 (ttyACM0)");
    ASSERT_GE(item, 32) << "after com1 to com32";
    list->setCurrentIndex(item);
    EXPECT_EQ(list->toolTip().toStdString(), path);
    platform::controlById<QPushButton>(&dialog, SettingsDialog::IdOk)->click();
    EXPECT_EQ(settings.comPort(), path);

    // Shown again, the saved path selects its labelled item.
    SettingsDialog again(settings);
    again.show();
    auto* shown = platform::controlById<QComboBox>(&again, SettingsDialog::IdComPort);
    EXPECT_EQ(shown->currentText().toStdString(), "Quorel Bench PSU 0042 (ttyACM0)");
}
