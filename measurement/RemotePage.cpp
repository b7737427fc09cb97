#include "measurement/RemotePage.h"

#include "platform/qt/Accessible.h"
#include "platform/qt/Prompter.h"
#include "remote/RemoteMessages.h"
#include "remote/qt/RemoteService.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

void mark(QLineEdit* field, bool refused) {
    QPalette p = field->palette();
    p.setColor(QPalette::Base, refused ? QColor(255, 255, 0)
                                       : field->style()->standardPalette().color(QPalette::Base));
    field->setPalette(p);
}

} // namespace

RemotePage::RemotePage(RemoteService& service, MeasurementWindow::LogFunction log, QWidget* parent)
    : QWidget(parent), service_(service), log_(std::move(log)) {
    setObjectName("remotePage");
    auto* grid = new QGridLayout(this);
    int row = 0;
    enabled_ = new QCheckBox(qs(texts::RemoteEnabled), this);
    enabled_->setObjectName("remoteEnabled");
    platform::describe(enabled_, texts::A11yRemoteEnabledHelp);
    grid->addWidget(enabled_, row++, 0, 1, 2);
    auto field = [&](const char* title, const char* name) {
        grid->addWidget(new QLabel(qs(title), this), row, 0);
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setAccessibleName(qs(title));
        grid->addWidget(e, row++, 1);
        return e;
    };
    listen_ = field(texts::RemoteListen, "remoteListen");
    allow_ = field(texts::RemoteAllow, "remoteAllow");
    allow_->setPlaceholderText(qs(texts::RemoteAllowHint));
    platform::describe(listen_, texts::A11yRemoteListenHelp);
    platform::describe(allow_, texts::RemoteAllowHint);
    auto flag = [&](const char* title, const char* help, const char* name) {
        auto* box = new QCheckBox(qs(title), this);
        box->setObjectName(name);
        platform::describe(box, help);
        grid->addWidget(box, row++, 0, 1, 2);
        return box;
    };
    vxi11_ = flag(texts::RemoteVxi11, texts::A11yRemoteVxi11Help, "remoteVxi11");
    announce_ = flag(texts::RemoteAnnounce, texts::A11yRemoteAnnounceHelp, "remoteAnnounce");
    grid->addWidget(new QLabel(qs(texts::RemoteState), this), row, 0);
    state_ = new QLabel(this);
    state_->setObjectName("remoteState");
    grid->addWidget(state_, row++, 1);
    grid->addWidget(new QLabel(qs(texts::RemoteClients), this), row++, 0, 1, 2);
    clients_ = new QListWidget(this);
    clients_->setObjectName("remoteClients");
    platform::describe(clients_, texts::A11yRemoteClientsHelp, texts::RemoteClients);
    grid->addWidget(clients_, row++, 0, 1, 2);
    applyButton_ = new QPushButton(qs(texts::ButtonApply), this);
    applyButton_->setObjectName("applyRemote");
    platform::describe(applyButton_, texts::A11yApplyHelp);
    grid->addWidget(applyButton_, row++, 1, Qt::AlignRight);
    connect(applyButton_, &QPushButton::clicked, this, &RemotePage::apply);
    connect(&service_, &RemoteService::changed, this, &RemotePage::showState);
    showSettings();
    showState();
}

void RemotePage::addSection(QWidget* section) {
    auto* grid = static_cast<QGridLayout*>(layout());
    grid->addWidget(section, grid->rowCount(), 0, 1, 2);
}

void RemotePage::showSettings() {
    const remote::RemoteSettings& s = service_.settings();
    enabled_->setChecked(s.enabled);
    listen_->setText(QString::fromStdString(s.listenText()));
    allow_->setText(QString::fromStdString(s.allowText()));
    vxi11_->setChecked(s.vxi11);
    announce_->setChecked(s.announce);
    mark(listen_, false);
    mark(allow_, false);
}

void RemotePage::showState() {
    state_->setText(service_.listening()
                        ? QString::fromStdString(texts::fill(
                              texts::RemoteListening, remote::formatEndpoint(service_.address())))
                        : qs(texts::RemoteNotListening));
    clients_->clear();
    for (const remote::SocketAddress& peer : service_.clients())
        clients_->addItem(QString::fromStdString(remote::formatEndpoint(peer)));
}

void RemotePage::tell(const std::string& message) {
    platform::prompter().messageBox(this, message, texts::CaptionError.str(),
                                    platform::PromptIcon::Stop, platform::PromptButtons::Ok);
}

void RemotePage::apply() {
    // What the page does not show is kept as it is.
    remote::RemoteSettings wanted = service_.settings();
    wanted.enabled = enabled_->isChecked();
    wanted.vxi11 = vxi11_->isChecked();
    wanted.announce = announce_->isChecked();
    const std::string listen = listen_->text().trimmed().toStdString();
    const bool listenOk =
        remote::parseEndpoint(listen, wanted.listen) == remote::AddressError::None;
    mark(listen_, !listenOk);
    const std::string allow = allow_->text().toStdString();
    const remote::AddressError allowResult = remote::parseAllowList(allow, wanted.allow);
    const bool allowOk =
        allowResult == remote::AddressError::None || allowResult == remote::AddressError::Empty;
    mark(allow_, !allowOk);
    if (!listenOk || !allowOk) {
        const char* refusal =
            listenOk ? texts::LogRemoteAllowRefused : texts::LogRemoteListenRefused;
        log_(refusal);
        return tell(refusal);
    }
    const remote::StartResult r = service_.apply(wanted);
    showSettings();
    // The remote control has logged why it could not start.
    if (r != remote::StartResult::Ok && r != remote::StartResult::AlreadyListening)
        tell(remote::startFailedMessage(r, wanted.listen));
}
