#include "firmware/ui/FirmwareUpdateDialog.h"

#include "firmware/UpdateProcedure.h"
#include "firmware/ui/TransferProgressDialog.h"
#include "platform/qt/Accessible.h"
#include "platform/qt/ControlIds.h"
#include "platform/qt/DialogUnits.h"
#include "platform/qt/Prompter.h"
#include "resources/Texts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>
#include <optional>

namespace {

// While the blocks are sent the interface thread belongs to the transfer: what the operator
// clicks or types meanwhile is dropped, not kept for later, so that no stale click acts
// once the transfer is over.
class DiscardOperatorInput : public QObject {
public:
    DiscardOperatorInput() { QCoreApplication::instance()->installEventFilter(this); }
    ~DiscardOperatorInput() override {
        // Input queued during the transfer is delivered here, into this filter.
        QCoreApplication::processEvents();
        QCoreApplication::instance()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!event->spontaneous())
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }
};

// Lets windows repaint between two blocks and nothing else: the window system's expose and
// paint events are handled (a progress window shown for the first time needs its expose),
// but no timer runs, so no poll of the main window happens during the transfer, and input is
// held back (and then dropped by the discard filter). Only what changed is painted (the
// address and the bar): repainting the whole progress window after every block took four
// times as long, time that adds to every one of the 384 block gaps.
void paintOnly() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::X11ExcludeTimers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

QLineEdit* makeEdit(QWidget* parent, int id) {
    auto* edit = new QLineEdit(parent);
    platform::setControlId(edit, id);
    return edit;
}

QPushButton* makeButton(QWidget* parent, int id, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    platform::setControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

} // namespace

FirmwareUpdateDialog::FirmwareUpdateDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(texts::FirmwareDialogCaption.c_str()));
    setFont(QFont(QString::fromUtf8(texts::FontPGothic), 9));

    portEdit_ = makeEdit(this, IdPort);
    portEdit_->setReadOnly(true);
    fileEdit_ = makeEdit(this, IdFile);
    auto* browse = makeButton(this, IdBrowse, texts::ButtonBrowse);
    auto* update = makeButton(this, IdUpdate, texts::FirmwareUpdateButton);
    update->setDefault(true);
    auto* cancel = makeButton(this, IdCancel, texts::FirmwareCancelButton);

    platform::describe(portEdit_, texts::A11yFirmwarePortHelp);
    platform::describe(fileEdit_, texts::A11yFirmwareFileHelp);
    platform::describe(browse, texts::A11yBrowseFileHelp);
    platform::describe(update, texts::A11yUpdateHelp);
    platform::describe(cancel, texts::A11yCloseHelp);
    // Each label names the field beside it.
    auto labelFor = [this](const char* text, QWidget* field) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(field);
        return label;
    };

    auto* grid = new QGridLayout(this);
    grid->addWidget(labelFor(texts::FirmwarePort, portEdit_), 0, 0);
    grid->addWidget(portEdit_, 0, 1);
    grid->addWidget(labelFor(texts::FirmwareFile, fileEdit_), 1, 0);
    grid->addWidget(fileEdit_, 1, 1);
    grid->addWidget(browse, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(update);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 3);

    resize(DialogUnits(font()).size(189, 79));

    // What stands in the file field is the file that will be written: a typed or pasted
    // path counts as much as one chosen with 参照.
    connect(fileEdit_, &QLineEdit::textEdited, this,
            [this](const QString& text) { filePath_ = text.toStdString(); });
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(update, &QPushButton::clicked, this, [this] { OnUpdate(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FirmwareUpdateDialog::showEvent(QShowEvent* event) {
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void FirmwareUpdateDialog::OnInitDialog() {
    filePath_.clear();
    fileEdit_->clear();
    portEdit_->setText(QString::fromStdString(portName_));
}

void FirmwareUpdateDialog::OnBrowse() {
    auto chosen = platform::prompter().openFileName(this, texts::FilterHex.str(), "");
    if (chosen)
        filePath_ = *chosen;
    fileEdit_->setText(QString::fromStdString(filePath_));
}

void FirmwareUpdateDialog::OnUpdate() {
    runUpdate(portName_, filePath_);
}

void FirmwareUpdateDialog::showError(const char* text) {
    platform::prompter().messageBox(this, text, texts::CaptionError.str(),
                                    platform::PromptIcon::Stop, platform::PromptButtons::Ok);
}

void FirmwareUpdateDialog::runUpdate(const std::string& portName, const std::string& filePath) {
    // A fresh progress window for each run, hidden until the flash is erased and destroyed
    // when the run ends, after its message.
    auto progress = std::make_unique<TransferProgressDialog>(this);
    emit progressWindowCreated(progress.get());
    std::optional<DiscardOperatorInput> discard;

    UpdateProcedure::Callbacks callbacks;
    callbacks.transferStarting = [&](int lowWord, int highWord) {
        progress->show();
        progress->setRange(lowWord, highWord);
        discard.emplace();
    };
    callbacks.blockStarting = [&](int wordAddress) { progress->showAddress(wordAddress); };
    callbacks.blockDone = [&](int, bool) { paintOnly(); };
    callbacks.transferEnded = [&] { discard.reset(); };
    callbacks.finished = [&](UpdateProcedure::Outcome outcome) {
        if (outcome == UpdateProcedure::Outcome::Completed)
            platform::prompter().messageBox(
                this, UpdateProcedure::message(outcome), texts::FirmwareDoneCaption.str(),
                platform::PromptIcon::Information, platform::PromptButtons::Ok);
        else
            showError(UpdateProcedure::message(outcome));
    };

    const auto result = UpdateProcedure::run(portName, filePath, callbacks);
    if (result.outcome == UpdateProcedure::Outcome::Completed)
        accept();
    progress.reset();
}

void runFirmwareUpdateCommand(QWidget* parent, const std::string& comPort) {
    if (platform::prompter().messageBox(
            parent, texts::FirmwareInstructions.str(), texts::FirmwareInstructionsCaption.str(),
            platform::PromptIcon::Information,
            platform::PromptButtons::OkCancel) != platform::PromptAnswer::Ok)
        return;
    FirmwareUpdateDialog dialog(parent);
    dialog.setPortName(comPort);
    dialog.exec();
}
