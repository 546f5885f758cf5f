// One window per user: a later start hands over to the running window and
// ends, and nothing a gone process left keeps a start from its window.
#include "qt/single_window.h"
#include "support/temp_dir.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

TEST(SingleWindow, ALaterStartAsksTheRunningWindowToComeForward) {
    TempDir dir;
    SingleWindow first(dir / "run");
    ASSERT_TRUE(first.Claim());
    int requests = 0;
    first.OnRequest([&requests] { ++requests; });
    for (int start = 1; start <= 2; ++start) {
        SingleWindow later(dir / "run");
        EXPECT_FALSE(later.Claim()) << start;
        EXPECT_TRUE(QTest::qWaitFor([&] { return requests == start; }, 5000)) << start;
    }
}

TEST(SingleWindow, WhatAnEndedProcessLeftDoesNotKeepTheNextFromItsWindow) {
    TempDir dir;
    std::filesystem::create_directories(dir / "run");
    WriteWholeFile(dir / "run/window.socket", "");  // a socket file its process never removed
    {
        SingleWindow ended(dir / "run");
        ASSERT_TRUE(ended.Claim());
    }
    SingleWindow next(dir / "run");
    EXPECT_TRUE(next.Claim());
    bool asked = false;
    next.OnRequest([&asked] { asked = true; });
    SingleWindow later(dir / "run");
    EXPECT_FALSE(later.Claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked; }, 5000));
}

TEST(SingleWindow, AFolderThatCannotBeUsedStillGivesAWindow) {
    TempDir dir;
    WriteWholeFile(dir / "file", "");
    SingleWindow start(dir / "file/run");  // under a file: no folder can be made
    EXPECT_TRUE(start.Claim());
}

// The program itself: a second start ends at once with 0; the first one
// runs on, and its window, or a --download, is not affected.
TEST(SingleWindow, TheProgramsSecondStartEndsAndTheFirstRunsOn) {
    TempDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", QString::fromStdString(dir.Path()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir / "run"));
    environment.insert("XDG_STATE_HOME", QString::fromStdString(dir / "state"));
    const auto start = [&](const QStringList& arguments) {
        auto program = std::make_unique<QProcess>();
        program->setProcessEnvironment(environment);
        program->setWorkingDirectory(QString::fromStdString(dir.Path()));
        program->start(QStringLiteral(BAYHAUL_PATH), arguments);
        EXPECT_TRUE(program->waitForStarted());
        return program;
    };
    const auto first = start({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(QString::fromStdString(dir / "run/bayhaul/window.socket")); },
                                30000));
    const auto second = start({});
    EXPECT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    const auto help = start({QStringLiteral("--help")});
    EXPECT_TRUE(help->waitForFinished(15000));
    EXPECT_TRUE(help->readAllStandardOutput().startsWith("usage: bayhaul"));

    first->terminate();  // stops as a closed window does
    EXPECT_TRUE(first->waitForFinished(15000));
    EXPECT_EQ(first->exitCode(), 0);
}

}  // namespace
}  // namespace bayhaul
