#include "app/core/message_log.h"
#include "app/frmMessages.h"
#include "app/messages_host.h"
#include "tests/support/scripted_services.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace quillorn;

TEST(MessageLog, JoinsMessagesAsTheLogRuleSays) {
    MessageLog log;
    log.Append(QStringLiteral("abc"));
    log.Append(QStringLiteral("def"));
    EXPECT_EQ(log.Text(), QStringLiteral("abcdef"));

    MessageLog blocks;
    blocks.Append(QStringLiteral("AFPL Ghostscript 8.0"));
    EXPECT_EQ(blocks.Text(), QStringLiteral("\r\nAFPL Ghostscript 8.0"));
    blocks.Append(QStringLiteral("afpl lower case"));
    EXPECT_EQ(blocks.Text(), QStringLiteral("\r\nAFPL Ghostscript 8.0afpl lower case"));
    blocks.Append(QStringLiteral("AFP"));
    EXPECT_TRUE(blocks.Text().endsWith(QStringLiteral("caseAFP")));
}

TEST(MessageLog, ConvertsLineEndsAndIgnoresEmptyMessages) {
    MessageLog log;
    log.Append(QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(log.Text(), QStringLiteral("one\r\ntwo\r\n"));
    log.Append(QStringLiteral("three\r\n"));
    EXPECT_EQ(log.Text(), QStringLiteral("one\r\ntwo\r\nthree\r\r\n"));
    const QString before = log.Text();
    log.Append(QString());
    EXPECT_EQ(log.Text(), before);
}

TEST(MessageLog, LoadedProductNameOpensABlockToo) {
    MessageLog log;
    log.SetProductName(QStringLiteral("GPL Ghostscript"));
    log.Append(QStringLiteral("Quillorn 0.1\r\n\r\n"));
    log.Append(QStringLiteral("GPL Ghostscript 10.00.0 (2022-09-21)\n"));
    log.Append(QStringLiteral("GPL is not a new block"));
    EXPECT_EQ(log.Text(), QStringLiteral("Quillorn 0.1\r\r\n\r\r\n\r\nGPL Ghostscript 10.00.0 "
                                         "(2022-09-21)\r\nGPL is not a new block"));
}

TEST(MessagesWindow, OkClearAndClipboard) {
    test::ScriptedServices services;
    frmMessages window(services);
    window.AddMessage(QStringLiteral("first\nsecond\n"));
    window.show();
    EXPECT_EQ(window.txtMessages->toPlainText(), QStringLiteral("first\nsecond\n"));
    window.AddMessage(QStringLiteral("third"));
    EXPECT_EQ(window.txtMessages->toPlainText(), QStringLiteral("first\nsecond\nthird"));

    window.cmdOkay->click();
    EXPECT_FALSE(window.isVisible());
    window.AddMessage(QStringLiteral(" more"));
    window.show();
    EXPECT_EQ(window.Log(), QStringLiteral("first\r\nsecond\r\nthird more"));
    EXPECT_EQ(window.txtMessages->toPlainText(), QStringLiteral("first\nsecond\nthird more"));
    EXPECT_EQ(window.txtMessages->textCursor().position(),
              window.txtMessages->document()->characterCount() - 1);

    window.cmdClipboard->click();
    window.cmdClearMsgs->click();
    window.cmdClipboard->click();
    ASSERT_EQ(services.clipboardTexts.size(), 2);
    EXPECT_EQ(services.clipboardTexts[0], QStringLiteral("first\r\nsecond\r\nthird more"));
    EXPECT_EQ(services.clipboardTexts[1], QString());
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
