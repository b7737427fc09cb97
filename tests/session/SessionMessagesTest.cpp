#include "session/SessionMessages.h"

#include <gtest/gtest.h>

namespace {

// Texts from the device or the settings go into the lines as they are, never as formats.
TEST(SessionMessages, PortAndVersionAreTakenWholeEvenWhenTheyLookLikeFormats) {
    EXPECT_EQ(session::connectedMessage("com%s", "1.0%s%n"),
              "デバイス com%s/FW1.0%s%n を接続しました");
    EXPECT_EQ(session::connectedMessage("/dev/ttyACM0", ""),
              "デバイス /dev/ttyACM0/FW を接続しました");
}

TEST(SessionMessages, ATripNamesTheProtectionItsLevelAndTheMeasuredValue) {
    session::Trip t{session::ProtectionKind::OverPower, 1.5, 1.6, 0};
    EXPECT_EQ(session::tripMessage(t),
              "過電力保護が作動し出力をOFFしました(設定 1.50W　測定 1.60W)");
    EXPECT_EQ(session::formatDuration(3 * 3600 + 62.9), "3:01:02");
}

} // namespace
