#include "firmware/FirmwareUpdateDialog.h"

#include "firmware/BootLoader.h"
#include "firmware/HexImage.h"
#include "firmware/TransferProgressDialog.h"
#include "panel/DialogUnits.h"
#include "platform/ControlIds.h"
#include "platform/Prompter.h"
#include "resources/Texts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

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

// Lets windows repaint between two blocks and nothing else: no input, no timers, so no
// poll of the main window runs during the transfer.
void paintOnly(QWidget* window) {
    window->repaint();
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
    setWindowTitle(QString::fromUtf8(texts::FirmwareDialogCaption));
    setFont(QFont(QString::fromUtf8("ＭＳ Ｐゴシック"), 9));

    portEdit_ = makeEdit(this, IdPort);
    portEdit_->setReadOnly(true);
    fileEdit_ = makeEdit(this, IdFile);
    auto* browse = makeButton(this, IdBrowse, "参照");
    auto* update = makeButton(this, IdUpdate, texts::FirmwareUpdateButton);
    update->setDefault(true);
    auto* cancel = makeButton(this, IdCancel, texts::FirmwareCancelButton);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QString::fromUtf8(texts::FirmwarePort), this), 0, 0);
    grid->addWidget(portEdit_, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(texts::FirmwareFile), this), 1, 0);
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
    auto chosen = platform::prompter().openFileName(this, texts::FilterHex, "");
    if (chosen)
        filePath_ = *chosen;
    fileEdit_->setText(QString::fromStdString(filePath_));
}

void FirmwareUpdateDialog::OnUpdate() {
    runUpdate(portName_, filePath_);
}

void FirmwareUpdateDialog::showError(const char* text) {
    platform::prompter().messageBox(this, text, texts::CaptionError, platform::PromptIcon::Stop,
                                    platform::PromptButtons::Ok);
}

void FirmwareUpdateDialog::runUpdate(const std::string& portName, const std::string& filePath) {
    // 1. The progress window, hidden until the flash is erased.
    auto progress = std::make_unique<TransferProgressDialog>(this);
    emit progressWindowCreated(progress.get());
    // 8. However the run ends, after its message: the link closed, the window destroyed.
    struct End {
        std::unique_ptr<TransferProgressDialog>& window;
        ~End() {
            BootLoader::disconnect();
            window.reset();
        }
    } end{progress};

    // 2. The whole file is read before the boot-loader is contacted, so a missing or
    //    malformed file never erases the device.
    HexImage::Bytes image{};
    switch (HexImage::load(filePath, image)) {
    case HexImageResult::Loaded:
        break;
    case HexImageResult::CannotOpen:
        showError(texts::FirmwareFileOpenFailed);
        return;
    case HexImageResult::ReadError:
        showError(texts::FirmwareFileReadFailed);
        return;
    }

    // 3., 4.
    if (BootLoader::connect(portName) != DeviceResult::Ok) {
        showError(texts::FirmwareConnectFailed);
        return;
    }
    if (BootLoader::eraseFlash() != DeviceResult::Ok) {
        showError(texts::FirmwareEraseFailed);
        return;
    }

    // 5., 6. All blocks in ascending order straight after the erase: the boot-loader
    //    places each one after the last. A failed block leaves the device in its
    //    boot-loader, ready for another run.
    progress->show();
    progress->setRange(FirstBlockByte / 2, HexImage::Size / 2);
    bool sent = true;
    {
        DiscardOperatorInput discard;
        for (int block = 0; block < BlockCount && sent; ++block) {
            int a = FirstBlockByte + block * BootLoader::BlockBytes;
            progress->showAddress(a / 2);
            sent = BootLoader::writeBlock(image.data() + a) == DeviceResult::Ok;
            paintOnly(progress.get());
        }
    }
    if (!sent) {
        showError(texts::FirmwareTransferFailed);
        return;
    }

    // 7.
    platform::prompter().messageBox(this, texts::FirmwareDone, texts::FirmwareDoneCaption,
                                    platform::PromptIcon::Information, platform::PromptButtons::Ok);
    BootLoader::quit();
    accept();
}

void runFirmwareUpdateCommand(QWidget* parent, const std::string& comPort) {
    if (platform::prompter().messageBox(
            parent, texts::FirmwareInstructions, texts::FirmwareInstructionsCaption,
            platform::PromptIcon::Information,
            platform::PromptButtons::OkCancel) != platform::PromptAnswer::Ok)
        return;
    FirmwareUpdateDialog dialog(parent);
    dialog.setPortName(comPort);
    dialog.exec();
}
