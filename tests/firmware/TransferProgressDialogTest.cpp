#include "firmware/ui/TransferProgressDialog.h"

#include "FirmwareTestSupport.h"
#include "platform/qt/ControlIds.h"
#include "support/QtTestApp.h"

#include <QLineEdit>
#include <QProgressBar>

#include <gtest/gtest.h>

namespace {

TEST(TransferProgressDialog, StartsHiddenShowsAddressAndBarAndCannotBeClosedByTheOperator) {
    qtTestApp();
    TransferProgressDialog w;
    EXPECT_FALSE(w.isVisible());
    w.setRange(512, 2048);
    w.showAddress(0x7FC);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(platform::controlById<QLineEdit>(&w, TransferProgressDialog::IdAddress)->text(),
              "0x07fc");
    auto* bar = platform::controlById<QProgressBar>(&w, TransferProgressDialog::IdProgress);
    EXPECT_EQ(bar->minimum(), 512);
    EXPECT_EQ(bar->maximum(), 2048);
    EXPECT_EQ(bar->value(), 2044);

    // The operator cannot close it: no close box, close requests and Esc are ignored.
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w.close());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&w, &esc);
    EXPECT_TRUE(w.isVisible());
}

} // namespace
