#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>

#include "dialogs/UMotPass.h"
#include "dialogs/UNewPsw.h"
#include "gui/GuiHarness.h"
#include "main/UKeyLock.h"
#include "model/UGlobals.h"
#include "model/USettingsFile.h"

namespace tervanix {
namespace {

using test::Click;
using test::TPasswordScope;
using test::TScriptedMessages;
using test::TypeText;

// Opens the prompt, types, presses OK; true when the dialog closed with OK.
bool EnterPassword(TWinEntryPsw& dialog, const QString& typed) {
    test::ShowActive(&dialog);
    TypeText(dialog.Password(), typed);
    Click(dialog.BtOK());
    return !dialog.isVisible() && dialog.result() == QDialog::Accepted;
}

TEST(PasswordKey, UpperCaseLetterByLetterWithinTheEightBitSet) {
    EXPECT_EQ(PasswordKey(QStringLiteral("abc 1")), "ABC 1");
    EXPECT_EQ(PasswordKey(QStringLiteral("é")), "\xC9");
    EXPECT_EQ(PasswordKey(QStringLiteral("ÿ")), "\x9F");
    // No two-letter upper case and no upper case outside the set: lengths never change.
    EXPECT_EQ(PasswordKey(QStringLiteral("ß")), "\xDF");
    EXPECT_EQ(PasswordKey(QStringLiteral("µ")), "\xB5");
}

TEST(EntryPassword, TypedInEitherCaseUnlocksButATrailingBlankDoesNot) {
    TScriptedMessages boxes;
    TPasswordScope password("SECRET");
    TWinEntryPsw dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("QC : enter password"));
    EXPECT_TRUE(EnterPassword(dialog, QStringLiteral("secret")));
    EXPECT_TRUE(EnterPassword(dialog, QStringLiteral("SeCrEt")));

    EXPECT_FALSE(EnterPassword(dialog, QStringLiteral("secret ")));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.Password()->text().isEmpty());
    EXPECT_TRUE(dialog.Password()->hasFocus());
    EXPECT_TRUE(boxes.Recorded().empty()); // a wrong password is never announced
    Click(dialog.BtCancel());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(EntryPassword, EachActivationStartsEmptyAndMasksTheText) {
    TPasswordScope password("SECRET");
    TWinEntryPsw dialog;
    test::ShowActive(&dialog);
    TypeText(dialog.Password(), QStringLiteral("half"));
    dialog.hide();
    test::ShowActive(&dialog);
    EXPECT_TRUE(dialog.Password()->text().isEmpty());
    EXPECT_TRUE(dialog.Password()->hasFocus());
    EXPECT_EQ(dialog.Password()->echoMode(), QLineEdit::Password);
}

TEST(EntryPassword, AskPasswordRunsTheModalPrompt) {
    TPasswordScope password("KEY");
    test::WhenModalOpens([](QWidget* modal) {
        auto* prompt = qobject_cast<TWinEntryPsw*>(modal);
        ASSERT_NE(prompt, nullptr);
        TypeText(prompt->Password(), QStringLiteral("key"));
        Click(prompt->BtOK());
    });
    EXPECT_TRUE(AskPassword());
    test::WhenModalOpens([](QWidget* modal) { Click(qobject_cast<TWinEntryPsw*>(modal)->BtCancel()); });
    EXPECT_FALSE(AskPassword());
}

class NewPassword : public ::testing::Test {
protected:
    // Fills the fields of a freshly activated dialog and presses OK; true when it closed.
    bool Change(const QString& oldPsw, const QString& newPsw, const QString& confirm) {
        test::ShowActive(&dialog_);
        TypeText(dialog_.EditOldPsw(), oldPsw);
        TypeText(dialog_.EditNewPsw(), newPsw);
        TypeText(dialog_.EditConfirm(), confirm);
        Click(dialog_.BtOK());
        return !dialog_.isVisible() && dialog_.result() == QDialog::Accepted;
    }
    TScriptedMessages boxes_;
    TWinNewPsw dialog_;
};

TEST_F(NewPassword, WithoutPasswordNoOldOneIsAsked) {
    TPasswordScope password("");
    test::ShowActive(&dialog_);
    EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("Change password"));
    EXPECT_FALSE(dialog_.EditOldPsw()->isVisible());
    EXPECT_TRUE(dialog_.EditNewPsw()->hasFocus());
    dialog_.hide();
    EXPECT_TRUE(Change(QString(), QStringLiteral(" lab1 "), QStringLiteral("LAB1")));
    EXPECT_EQ(Settings.Password.str(), "LAB1");
    EXPECT_TRUE(boxes_.Recorded().empty());
}

TEST_F(NewPassword, OldPasswordIsTrimmedAndCaseFree) {
    TPasswordScope password("LAB1");
    test::ShowActive(&dialog_);
    EXPECT_TRUE(dialog_.EditOldPsw()->isVisible());
    EXPECT_TRUE(dialog_.EditOldPsw()->hasFocus());
    dialog_.hide();
    EXPECT_TRUE(Change(QStringLiteral("lab1 "), QStringLiteral("next"), QStringLiteral("next")));
    EXPECT_EQ(Settings.Password.str(), "NEXT");
}

TEST_F(NewPassword, WrongOldOrMismatchKeepsTheDialogAndThePassword) {
    TPasswordScope password("LAB1");
    EXPECT_FALSE(Change(QStringLiteral("lab2"), QStringLiteral("x"), QStringLiteral("x")));
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_TRUE(dialog_.EditOldPsw()->hasFocus());
    EXPECT_EQ(dialog_.EditOldPsw()->selectedText(), QStringLiteral("lab2"));
    dialog_.hide();

    EXPECT_FALSE(Change(QStringLiteral("LAB1"), QStringLiteral("one"), QStringLiteral("two")));
    EXPECT_TRUE(dialog_.EditNewPsw()->hasFocus());
    EXPECT_EQ(dialog_.EditNewPsw()->selectedText(), QStringLiteral("one"));
    EXPECT_EQ(Settings.Password.str(), "LAB1");
    EXPECT_TRUE(boxes_.Recorded().empty());
}

TEST_F(NewPassword, ElevenCharactersCannotBeTyped) {
    TPasswordScope password("");
    EXPECT_TRUE(Change(QString(), QStringLiteral("abcdefghijk"), QStringLiteral("abcdefghijk")));
    EXPECT_EQ(Settings.Password.str(), "ABCDEFGHIJ");
}

TEST_F(NewPassword, EmptyNewPasswordFreesEveryLockFromItsNextActivation) {
    TPasswordScope password("LAB1");
    QWidget window;
    QPushButton erase(&window);
    TKeyLock lock(MakeKeyButton(&window), {&erase});
    lock.Activate();
    EXPECT_TRUE(lock.Locked());
    EXPECT_TRUE(Change(QStringLiteral("LAB1"), QString(), QString()));
    EXPECT_TRUE(Settings.Password.empty());
    EXPECT_FALSE(erase.isEnabled()); // still locked until the dialog is opened again
    lock.Activate();
    EXPECT_FALSE(lock.Locked());
    EXPECT_TRUE(erase.isEnabled());
}

TEST(ChangePasswordCommand, OKWritesTheSettingsFileCancelWritesNothing) {
    struct Restore {
        TSettings settings = Settings;
        std::string programDir = ProgramDir, basePath = BasePath;
        ~Restore() { Settings = settings, ProgramDir = programDir, BasePath = basePath; }
    } restore;
    Settings = DefaultSettings();
    Settings.FormatTag = CurrentFormatTag();
    QTemporaryDir folder;
    SetProgramDir(folder.path().toStdString() + "/");
    const std::string path = BasePath + ".cfr";
    TWinNewPsw window;

    test::WhenModalOpens([](QWidget* modal) { Click(qobject_cast<TWinNewPsw*>(modal)->BtCancel()); });
    EXPECT_FALSE(ChangePassword(window));
    EXPECT_FALSE(std::filesystem::exists(path));

    test::WhenModalOpens([](QWidget* modal) {
        auto* dialog = qobject_cast<TWinNewPsw*>(modal);
        TypeText(dialog->EditNewPsw(), QStringLiteral("abc"));
        TypeText(dialog->EditConfirm(), QStringLiteral("abc"));
        Click(dialog->BtOK());
    });
    EXPECT_TRUE(ChangePassword(window));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    TSettings stored;
    TOperatorList operators;
    DecodeSettingsFile(bytes, stored, operators);
    EXPECT_EQ(stored.Password.str(), "ABC");
}

class KeyLock : public ::testing::Test {
protected:
    void SetUp() override {
        key_ = MakeKeyButton(&window_);
        erase_ = new QPushButton(&window_);
        undo_ = new QPushButton(&window_);
        lock_ = new TKeyLock(key_, {erase_, undo_});
        previous_ = SetPasswordPrompt([this](QWidget*) {
            ++asked_;
            return answer_;
        });
        test::ShowActive(&window_);
    }
    void TearDown() override { SetPasswordPrompt(previous_); }

    QWidget window_;
    QPushButton* key_ = nullptr;
    QPushButton* erase_ = nullptr;
    QPushButton* undo_ = nullptr;
    TKeyLock* lock_ = nullptr;
    TPasswordPrompt previous_;
    bool answer_ = false;
    int asked_ = 0;
};

TEST_F(KeyLock, PasswordSetLocksAtEveryActivationUntilGiven) {
    TPasswordScope password("LAB1");
    lock_->Activate();
    EXPECT_FALSE(erase_->isEnabled());
    EXPECT_FALSE(undo_->isEnabled());
    EXPECT_TRUE(key_->isVisible());
    EXPECT_TRUE(key_->isCheckable());

    Click(key_); // refused: stays locked, key pops back up
    EXPECT_EQ(asked_, 1);
    EXPECT_FALSE(erase_->isEnabled());
    EXPECT_FALSE(key_->isChecked());

    answer_ = true;
    Click(key_);
    EXPECT_TRUE(erase_->isEnabled());
    EXPECT_TRUE(undo_->isEnabled());
    EXPECT_FALSE(key_->isVisible());
    EXPECT_FALSE(key_->isChecked());
    EXPECT_TRUE(lock_->Unlock()); // already free: nothing asked
    EXPECT_EQ(asked_, 2);

    lock_->Activate();
    EXPECT_FALSE(erase_->isEnabled());
    EXPECT_TRUE(key_->isVisible());
}

TEST_F(KeyLock, NoPasswordNoLock) {
    TPasswordScope password("");
    lock_->Activate();
    EXPECT_TRUE(erase_->isEnabled());
    EXPECT_FALSE(key_->isVisible());
    EXPECT_TRUE(lock_->Unlock());
    EXPECT_EQ(asked_, 0);
}

TEST_F(KeyLock, DeleteKeyWorksOnlyWhileItsButtonIsEnabled) {
    TPasswordScope password("LAB1");
    int deleted = 0;
    QObject::connect(erase_, &QPushButton::clicked, [&] { ++deleted; });
    BindKeyToButton(QKeySequence::Delete, erase_, &window_);
    lock_->Activate();
    QTest::keyClick(&window_, Qt::Key_Delete);
    EXPECT_EQ(deleted, 0);
    answer_ = true;
    lock_->Unlock();
    QTest::keyClick(&window_, Qt::Key_Delete);
    EXPECT_EQ(deleted, 1);
}

} // namespace
} // namespace tervanix
