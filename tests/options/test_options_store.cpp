#include "options/core/options_store.h"
#include "tests/options/options_test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace quillorn;
using namespace quillorn::options;

// A file-size limit makes the store's write fail the way a full disk does, for root too.
TEST(OptionsStore, AStoreThatCannotBeWrittenKeepsWhatItHeld) {
    const QString path = test::FreshStorePath("full");
    {
        SettingsStore store(path);
        SaveOptions(test::ChangedOptions(), store);
        ASSERT_TRUE(store.Sync());
    }
    const auto bytesOnDisk = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray held = bytesOnDisk();
    ASSERT_FALSE(held.isEmpty());

    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    rlimit tiny = oldLimit;
    tiny.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool synced = true;
    {
        SettingsStore store(path);
        SaveOptions(test::FirstStartOptions(), store);
        synced = store.Sync();
    }
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(synced);
    EXPECT_EQ(bytesOnDisk(), held);
}
