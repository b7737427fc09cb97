// The main window as an operator works it with mouse and keyboard: the menu bar, the keys in
// the set-point fields, text pasted into them, and the toolkit's own texts.
#include "logs/ui/LogFileDialog.h"
#include "panel/ControlApp.h"
#include "platform/qt/DialogUnits.h"
#include "resources/Texts.h"
#include "support/CaseNames.h"
#include "support/MainWindowFixture.h"
#include "support/QtTestApp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <memory>

namespace {

using Id = MainDialog::ControlId;

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class WindowByHand : public MainWindowFixture {
protected:
    // The window shown and active, as on a desktop, so that its shortcuts reach it.
    void showActive() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QMenuBar* bar() const { return window->findChild<QMenuBar*>(); }
    QMenu* menu() const { return window->findChild<QMenu*>("menuQuorel"); }
    QAction* item(const char* text) const {
        for (QAction* a : menu()->actions())
            if (a->text() == qs(text))
                return a;
        ADD_FAILURE() << "no menu item " << text;
        return nullptr;
    }
    void clickMenuTitle() {
        QTest::mouseClick(bar(), Qt::LeftButton, {},
                          bar()->actionGeometry(menu()->menuAction()).center());
    }
    void clickItem(const char* text) {
        QTest::mouseClick(menu(), Qt::LeftButton, {}, menu()->actionGeometry(item(text)).center());
    }
    // The title of the modal window the next step opens; it is closed at once.
    void closeNextModalWindow() {
        QTimer::singleShot(0, [this] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                modalTitle = w->windowTitle().toStdString();
                w->close();
            }
        });
    }
    QLineEdit* field(int id) const { return dynamic_cast<QLineEdit*>(control(id)); }

    std::string modalTitle;
};

TEST_F(WindowByHand, MenuBarTakesItsRoomAboveTheControlsAndTheWindowGrowsByIt) {
    open();
    showActive();
    ASSERT_NE(bar(), nullptr);
    ASSERT_NE(menu(), nullptr);
    EXPECT_TRUE(bar()->isVisible());
    const int barHeight = bar()->height();
    EXPECT_GT(barHeight, 10);
    EXPECT_EQ(bar()->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(bar()->width(), window->width());
    EXPECT_TRUE(bar()->actionGeometry(menu()->menuAction()).isValid());
    // The title reads as it is; its first letter is the Alt key's.
    EXPECT_EQ(menu()->title(), "&" + qs(texts::MenuTitle));
    const DialogUnits du(window->font());
    EXPECT_EQ(window->size(), QSize(du.x(195), du.y(253) + barHeight));
    for (QWidget* w : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w != bar() && w->isVisible())
            EXPECT_GE(w->y(), barHeight) << w->metaObject()->className();
}

TEST_F(WindowByHand, EveryMenuCommandIsReachedByMouseThroughTheBar) {
    openConnected();
    showActive();
    clickMenuTitle();
    ASSERT_TRUE(menu()->isVisible());
    closeNextModalWindow();
    clickItem(texts::MenuAbout);
    EXPECT_EQ(modalTitle, texts::AboutCaption);
    EXPECT_FALSE(menu()->isVisible());

    prompter.answers.push_back(platform::PromptAnswer::Cancel);
    clickMenuTitle();
    clickItem(texts::MenuFirmwareUpdate);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, texts::FirmwareInstructions);
    EXPECT_TRUE(window->isVisible());
    // Confirmed, the instructions lead on to the update dialog.
    prompter.answers.push_back(platform::PromptAnswer::Ok);
    closeNextModalWindow();
    clickMenuTitle();
    clickItem(texts::MenuFirmwareUpdate);
    EXPECT_EQ(modalTitle, texts::FirmwareDialogCaption);
    EXPECT_TRUE(window->isVisible());

    clickMenuTitle();
    clickItem(texts::MenuClose);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(lastLog(), texts::LogClosing);
}

TEST_F(WindowByHand, MenuOpensFromTheKeyboardWithAltQAndWithF10) {
    open();
    showActive();
    // The keys reach the field that has the focus, which must let them pass.
    field(Id::IdVoltageEdit)->setFocus();
    QTest::keyClick(field(Id::IdVoltageEdit), Qt::Key_Q, Qt::AltModifier);
    ASSERT_TRUE(menu()->isVisible());
    // The About item's own letter chooses it.
    closeNextModalWindow();
    QTest::keyClick(menu(), Qt::Key_A);
    EXPECT_EQ(modalTitle, texts::AboutCaption);

    showActive(); // back from the about box
    field(Id::IdCurrentEdit)->setFocus();
    QTest::keyClick(field(Id::IdCurrentEdit), Qt::Key_F10);
    EXPECT_TRUE(menu()->isVisible());
    QTest::keyClick(menu(), Qt::Key_Escape);
    EXPECT_FALSE(menu()->isVisible());
}

TEST_F(WindowByHand, TabAndTheEditingShortcutsPassTheSetpointFieldsFilter) {
    open();
    showActive();
    for (int id : {Id::IdVoltageEdit, Id::IdCurrentEdit}) {
        QLineEdit* edit = field(id);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        ASSERT_NE(next, edit) << id;
        QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), edit) << id;
    }
    QLineEdit* edit = field(Id::IdCurrentEdit);
    edit->setText("12.50");
    QApplication::clipboard()->setText("other");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), "12.50");
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "12.50");
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "");
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "12.50");
    edit->setText("3");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "12.50");
    // Characters are still filtered: typed letters and signs never reach the field.
    QTest::keyClicks(edit, "-a,");
    EXPECT_EQ(edit->text(), "12.50");
}

struct PastedCase {
    const char* name;
    int field;  // where the text is pasted
    int button; // the set button pressed
    const char* text;
    bool refused;
};

class PastedText : public WindowByHand, public testing::WithParamInterface<PastedCase> {};

TEST_P(PastedText, IsSetOnlyWhenItIsANumberAsAWhole) {
    const PastedCase& c = GetParam();
    openConnected();
    showActive();
    tick();
    QLineEdit* edit = field(c.field);
    edit->setFocus();
    QApplication::clipboard()->setText(QString::fromUtf8(c.text));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(edit->text(), QString::fromUtf8(c.text));
    const auto setButton = dynamic_cast<QAbstractButton*>(control(c.button));
    QTest::mouseClick(setButton, Qt::LeftButton);

    const QColor yellow(255, 255, 0);
    if (c.refused) {
        EXPECT_EQ(lastLog(), texts::LogNotANumber);
        EXPECT_EQ(edit->palette().color(QPalette::Base), yellow);
        EXPECT_EQ(sim.receivedText(), "M");
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.text)) << "the entry is left for mending";
        const double marked = c.field == Id::IdVoltageEdit ? window->voltageSetpointValue()
                                                           : window->currentSetpointValue();
        EXPECT_EQ(marked, -1.0);
    } else {
        EXPECT_EQ(lastLog().rfind("出力を ", 0), 0u) << lastLog();
        EXPECT_NE(edit->palette().color(QPalette::Base), yellow);
        EXPECT_EQ(sim.receivedText().substr(0, 2), "MS");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clipboard, PastedText,
    testing::Values(
        PastedCase{"DecimalComma", Id::IdVoltageEdit, Id::IdSetVoltage, "1,5", true},
        PastedCase{"DecimalCommaInCurrent", Id::IdCurrentEdit, Id::IdSetCurrent, "0,5", true},
        PastedCase{"FullWidthDigits", Id::IdVoltageEdit, Id::IdSetVoltage, "１２", true},
        PastedCase{"TrailingLetters", Id::IdVoltageEdit, Id::IdSetVoltage, "12abc", true},
        PastedCase{"NegativeVoltage", Id::IdVoltageEdit, Id::IdSetVoltage, "-5", true},
        // The field that does not lead is read all the same.
        PastedCase{"CommaInTheOtherField", Id::IdCurrentEdit, Id::IdSetVoltage, "0,5", true},
        PastedCase{"PlainNumber", Id::IdVoltageEdit, Id::IdSetVoltage, "10.5", false}),
    casenames::ByName{});

TEST(ToolkitTexts, ChoosersAndContextMenusSpeakJapanese) {
    qtTestApp();
    QTranslator translator;
    ASSERT_TRUE(ControlApp::installToolkitTranslation(translator))
        << "the toolkit's Japanese translation (qt6-translations-l10n) is missing";
    QLineEdit edit;
    std::unique_ptr<QMenu> context(edit.createStandardContextMenu());
    LogFileDialog chooser;
    auto* buttons = chooser.findChild<QDialogButtonBox*>();
    QCoreApplication::removeTranslator(&translator);

    ASSERT_FALSE(context->actions().isEmpty());
    const QString undo = context->actions().front()->text();
    EXPECT_NE(undo, "&Undo");
    EXPECT_TRUE(std::any_of(undo.begin(), undo.end(), [](QChar c) { return c.unicode() > 0x3000; }))
        << undo.toStdString();
    ASSERT_NE(buttons, nullptr);
    const QString save = buttons->button(QDialogButtonBox::Save)
                             ? buttons->button(QDialogButtonBox::Save)->text()
                             : buttons->buttons().front()->text();
    EXPECT_TRUE(std::any_of(save.begin(), save.end(), [](QChar c) { return c.unicode() > 0x3000; }))
        << save.toStdString();
    // Each type of the list shows its pattern once.
    EXPECT_EQ(chooser.nameFilters(), QStringList({"CSV(*.csv)", qs("全て(*.*)")}));
}

} // namespace
