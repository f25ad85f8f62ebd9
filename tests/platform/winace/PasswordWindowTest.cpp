// The stand-in's password window, offscreen, shown as the program shows it:
// what it asks, "wrong" only after a wrong password, and the answer of OK
// (the password typed) and of Cancel (none).
#include "platform/winace/forms/PasswordWindow.h"

#include "FormTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

TEST(WinAcePasswordWindow, AsksForThePasswordAndGivesTheAnswer)
{
    qm::winace::PasswordQuestion question{"C:\\home\\ann\\Home.ace", "sub\\c.txt", 3, false};
    qm::test::whenShown<qm::winace::PasswordWindow>([](qm::winace::PasswordWindow* w) {
        EXPECT_EQ(w->windowTitle().toStdString(), "WinAce - Home.ace");
        EXPECT_EQ(w->lblPrompt->text().toStdString(),
                  "sub\\c.txt needs a password (and 2 more file(s)). Enter the password of Home.ace:");
        EXPECT_TRUE(w->lblWrong->isHidden());
        EXPECT_EQ(w->txtPassword->echoMode(), QLineEdit::Password);
        w->txtPassword->setText("my secret");
        w->cmdOK->click();
    });
    EXPECT_EQ(qm::winace::askPassword(question), std::optional<std::string>("my secret"));

    question.wrong = true;
    qm::test::whenShown<qm::winace::PasswordWindow>([](qm::winace::PasswordWindow* w) {
        EXPECT_FALSE(w->lblWrong->isHidden());
        EXPECT_EQ(w->lblWrong->text().toStdString(), "The password is wrong.");
        w->txtPassword->setText("typed");
        w->cmdCancel->click();
    });
    EXPECT_EQ(qm::winace::askPassword(question), std::nullopt);
}

} // namespace
