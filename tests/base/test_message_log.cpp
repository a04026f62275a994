#include "app/core/message_log.h"
#include "app/frmMessages.h"
#include "app/messages_host.h"
#include "tests/support/scripted_services.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace quillorn;

TEST(MessageLog, JoinsMessagesByTheLogRule) {
    // The loaded library's product name opens a block as "AFPL" does.
    const std::pair<QStringList, QString> cases[] = {
        {{"abc", "def"}, "abcdef"},
        {{"AFPL Ghostscript 8.0"}, "\r\nAFPL Ghostscript 8.0"},
        {{"x", "afpl lower case", "AFP"}, "xafpl lower caseAFP"},
        {{"one\ntwo\n"}, "one\r\ntwo\r\n"},
        {{"three\r\n"}, "three\r\r\n"},
        {{"abc", ""}, "abc"},
        {{"Quillorn 0.1\r\n\r\n", "GPL Ghostscript 10.00.0\n", "GPL is not a block"},
         "Quillorn 0.1\r\r\n\r\r\n\r\nGPL Ghostscript 10.00.0\r\nGPL is not a block"},
    };
    for (const auto& [messages, text] : cases) {
        MessageLog log;
        log.SetProductName(QStringLiteral("GPL Ghostscript"));
        for (const QString& message : messages)
            log.Append(message);
        EXPECT_EQ(log.Text(), text) << messages.join(u'|').toStdString();
    }
}

TEST(MessagesWindow, OkClearAndClipboard) {
    test::ScriptedServices services;
    frmMessages window(services);
    window.AddMessage(QStringLiteral("first\nsecond\n"));
    window.show();
    window.AddMessage(QStringLiteral("third"));
    EXPECT_EQ(window.txtMessages->toPlainText(), QStringLiteral("first\nsecond\nthird"));
    window.cmdOkay->click(); // hidden, the log still grows; shown, the caret is at its end
    EXPECT_FALSE(window.isVisible());
    window.AddMessage(QStringLiteral(" more"));
    window.show();
    EXPECT_EQ(window.txtMessages->toPlainText(), QStringLiteral("first\nsecond\nthird more"));
    EXPECT_EQ(window.txtMessages->textCursor().position(),
              window.txtMessages->document()->characterCount() - 1);
    window.cmdClipboard->click();
    window.cmdClearMsgs->click();
    window.cmdClipboard->click();
    EXPECT_EQ(services.clipboardTexts,
              (QStringList{QStringLiteral("first\r\nsecond\r\nthird more"), QString()}));
    window.AddMessage(QStringLiteral("after clear"));
    EXPECT_EQ(window.txtMessages->toPlainText(), QStringLiteral("after clear"));
}

TEST(MessagesWindow, HostCreatesHiddenAndClosingDestroysTheLog) {
    test::ScriptedServices services;
    MessagesHost host(services);
    EXPECT_EQ(host.Existing(), nullptr);
    AddMessage(QStringLiteral("kept until closed"));
    ASSERT_NE(host.Existing(), nullptr);
    EXPECT_FALSE(host.Existing()->isVisible());
    EXPECT_EQ(host.Get().Log(), QStringLiteral("kept until closed"));
    host.Get().show();
    host.Get().close();
    EXPECT_EQ(host.Existing(), nullptr);
    AddMessage(QStringLiteral("fresh"));
    EXPECT_EQ(host.Get().Log(), QStringLiteral("fresh"));
}
