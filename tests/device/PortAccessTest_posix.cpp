// Why a port that is there cannot be opened, told with its remedy. Tests run as root, whom no
// device's mode stops, so each open is tried in a child process that has given up root for
// the "nobody" user: the permission is then refused by the system itself.
#include "device/PortAccess.h"
#include "device/SerialPort.h"
#include "resources/Texts.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <functional>
#include <grp.h>
#include <pty.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;
constexpr gid_t Dialout = 20; // Debian's group of serial ports

// What the child process that tried to open the port as "nobody" was told.
std::string messageAsNobody(const std::string& port) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(NoGroup) != 0 || ::setuid(Nobody) != 0)
            ::_exit(2);
        auto opened = SerialPort::open(port, 9600);
        const std::string message = opened ? "opened" : portAccessMessage(port);
        (void)!::write(pipeFds[1], message.data(), message.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : "child failed";
}

struct AccessCase {
    const char* name;
    gid_t group;
    mode_t mode;
    // What the line says, made from the device's path.
    std::function<std::string(const std::string&)> expected;
};

class PortAccess : public testing::TestWithParam<AccessCase> {
protected:
    void SetUp() override {
        ASSERT_EQ(::openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
        path_ = ::ttyname(slave_);
        ASSERT_EQ(::chown(path_.c_str(), 0, GetParam().group), 0);
        ASSERT_EQ(::chmod(path_.c_str(), GetParam().mode), 0);
    }
    void TearDown() override {
        ::close(slave_);
        ::close(master_);
    }
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace

TEST_P(PortAccess, RefusedOpenNamesItsCauseAndRemedy) {
    EXPECT_EQ(messageAsNobody(path_), GetParam().expected(path_));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PortAccess,
    testing::Values(
        AccessCase{"GroupMayUseItJoinTheGroup", Dialout, 0660,
                   [](const std::string& p) {
                       return "ポート " + p +
                              " を開く権限がありません。グループ dialout に参加し(sudo usermod "
                              "-aG dialout $USER)、ログインし直してください";
                   }},
        AccessCase{"OnlyRootMayUseItCheckTheDevice", 0, 0600,
                   [](const std::string& p) {
                       return "ポート " + p +
                              " を開く権限がありません。デバイスの所有者と権限を確認してください";
                   }},
        AccessCase{"RootGroupIsNoRemedy", 0, 0660,
                   [](const std::string& p) {
                       return "ポート " + p +
                              " を開く権限がありません。デバイスの所有者と権限を確認してください";
                   }},
        AccessCase{"EveryoneMayUseItNothingToTell", Dialout, 0666,
                   [](const std::string&) { return std::string("opened"); }}),
    casenames::ByName());

TEST(PortAccessMessage, PortHeldByAnotherOpenerIsNamedAsSuch) {
    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string path = ::ttyname(slave);
    auto holder = SerialPort::open(path, 9600);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(SerialPort::open(path, 9600));
    EXPECT_EQ(SerialPort::lastOpenFailure().kind, SerialPort::OpenFailure::Kind::InUse);
    EXPECT_EQ(portAccessMessage(path), "ポート " + path + " は他のプログラムが使用中です");
    holder.reset();
    ::close(slave);
    ::close(master);
}

TEST(PortAccessMessage, MissingPortAddsNothingToTheFailedConnect) {
    EXPECT_FALSE(SerialPort::open("/dev/quorel-no-such-port", 9600));
    EXPECT_EQ(SerialPort::lastOpenFailure().kind, SerialPort::OpenFailure::Kind::Missing);
    EXPECT_EQ(portAccessMessage("/dev/quorel-no-such-port"), "");
}

TEST(PortAccessMessage, AComNameShowsTheDeviceItStandsFor) {
    SerialPort::OpenFailure f;
    f.kind = SerialPort::OpenFailure::Kind::InUse;
    f.path = "/dev/ttyACM0";
    EXPECT_EQ(portAccessMessage("com1", f),
              "ポート com1 (/dev/ttyACM0) は他のプログラムが使用中です");
}
