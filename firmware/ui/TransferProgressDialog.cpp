#include "firmware/ui/TransferProgressDialog.h"

#include "firmware/UpdateProcedure.h"
#include "platform/qt/ControlIds.h"
#include "platform/qt/DialogUnits.h"
#include "resources/Texts.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

TransferProgressDialog::TransferProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setModal(false);
    setWindowTitle(QString::fromUtf8(texts::FirmwareTransferCaption.c_str()));
    setFont(QFont(QString::fromUtf8(texts::FontPGothic), 9));

    auto* notice = new QLabel(QString::fromUtf8(texts::FirmwareTakesTime.c_str()), this);
    bar_ = new QProgressBar(this);
    platform::setControlId(bar_, IdProgress);
    bar_->setTextVisible(false);
    auto* label = new QLabel(QString::fromUtf8(texts::FirmwareTransferAddress.c_str()), this);
    address_ = new QLineEdit(this);
    platform::setControlId(address_, IdAddress);
    address_->setReadOnly(true);
    address_->setAlignment(Qt::AlignCenter);
    address_->setFocusPolicy(Qt::NoFocus);

    auto* grid = new QGridLayout(this);
    grid->addWidget(bar_, 0, 0, 1, 2);
    grid->addWidget(notice, 1, 0, 1, 2);
    grid->addWidget(label, 2, 0);
    grid->addWidget(address_, 2, 1);

    // The window's size in the dialog units of its layout (187 x 53).
    resize(DialogUnits(font()).size(187, 53));
}

QString TransferProgressDialog::addressText(int wordAddress) {
    return QString::fromStdString(UpdateProcedure::addressText(wordAddress));
}

void TransferProgressDialog::setRange(int low, int high) {
    bar_->setRange(low & 0xFFFF, high & 0xFFFF);
}

void TransferProgressDialog::showAddress(int wordAddress) {
    show();
    raise();
    address_->setText(addressText(wordAddress));
    bar_->setValue(wordAddress);
    emit addressShown(wordAddress);
}

// Esc would reject a dialog; this one stays until its owner destroys it.
void TransferProgressDialog::reject() {}

void TransferProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}
