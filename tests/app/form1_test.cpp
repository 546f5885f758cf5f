#include "about/frm_about.h"
#include "app/form1.h"
#include "app/twips.h"
#include "support/fixed_time.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

class Form1Test : public ::testing::Test {
protected:
    TempDir dir;
    FixedClock clock;
    std::string settingsPath = dir / "settings.ini";

    template <typename T>
    static T* Control(QWidget& window, const char* name) {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    static void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center()); }

    std::string FileLines(int first, int count) {
        const std::string text = ReadWholeFile(settingsPath);
        std::string lines;
        std::size_t pos = 0;
        for (int i = 0; i < first + count; ++i) {
            const std::size_t end = text.find("\r\n", pos);
            if (i >= first) lines += text.substr(pos, end - pos) + ";";
            pos = end + 2;
        }
        return lines;
    }
};

TEST_F(Form1Test, StartsWithoutAFileAsTheDefaultsSay) {
    Form1 window(clock, settingsPath);
    EXPECT_EQ(window.windowTitle(), "Bayhaul");
    EXPECT_EQ(ReadWholeFile(settingsPath), "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    EXPECT_TRUE(Control<QCheckBox>(window, "Check1")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(window, "Check2")->isChecked());
    EXPECT_EQ(Control<QLabel>(window, "Label2")->text(), "");
    EXPECT_EQ(Control<QProgressBar>(window, "ProgressBar1")->value(), 0);
    EXPECT_EQ(window.State().LastStamp, "20231208105603");

    for (const char* name : {"Timer1", "Timer2"}) {
        QTimer* timer = Control<QTimer>(window, name);
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 1000);
    }
}

TEST_F(Form1Test, ClockShowsTheLocaleWeekdayDateAndTime) {
    Form1 window(clock, settingsPath);
    const QString expectedStart = QLocale().toString(QDate(2023, 12, 8), QStringLiteral("dddd")).left(3) + ", ";
    const QString shown = Control<QLabel>(window, "Label1")->text();
    EXPECT_TRUE(shown.startsWith(expectedStart)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QLocale().toString(QDate(2023, 12, 8), QLocale::ShortFormat)));
    EXPECT_TRUE(shown.contains(QStringLiteral("56:03"))) << shown.toStdString();

    clock.moment = {2024, 1, 1, 0, 0, 0};
    QMetaObject::invokeMethod(Control<QTimer>(window, "Timer1"), "timeout");
    const QString midnight = Control<QLabel>(window, "Label1")->text();
    EXPECT_TRUE(midnight.endsWith(QLocale().toString(QDate(2024, 1, 1), QLocale::ShortFormat)))
        << midnight.toStdString();
}

TEST_F(Form1Test, BoxesShowTheFlagsWithoutRewritingTheFile) {
    WriteWholeFile(settingsPath, "0\r\n1\r\n/srv/data\r\nFORM\r\nDAT\r\n");
    Form1 window(clock, settingsPath);
    EXPECT_FALSE(Control<QCheckBox>(window, "Check1")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(window, "Check2")->isChecked());
    EXPECT_EQ(ReadWholeFile(settingsPath), "0\r\n1\r\n/srv/data\r\nFORM\r\nDAT\r\n");
}

TEST_F(Form1Test, ClickingTheBoxesInEitherOrderStoresEachOnItsOwnLine) {
    Form1 window(clock, settingsPath);
    window.show();
    auto* check1 = Control<QCheckBox>(window, "Check1");
    auto* check2 = Control<QCheckBox>(window, "Check2");

    Click(check2);
    Click(check1);
    EXPECT_EQ(FileLines(0, 2), "0;1;");

    Click(check1);
    EXPECT_EQ(FileLines(0, 2), "1;1;");
    Click(check2);
    EXPECT_EQ(FileLines(0, 2), "1;0;");
    EXPECT_EQ(FileLines(2, 3), "Desktop;FORM;DAT;");
}

TEST_F(Form1Test, ClickingALabelLeavesItsBoxAlone) {
    Form1 window(clock, settingsPath);
    window.show();
    Click(Control<QLabel>(window, "Label5"));
    Click(Control<QLabel>(window, "Label6"));
    EXPECT_TRUE(Control<QCheckBox>(window, "Check1")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(window, "Check2")->isChecked());
    EXPECT_EQ(FileLines(0, 2), "1;0;");
}

TEST_F(Form1Test, ControlsSitWhereTheDesignPutsThem) {
    Form1 window(clock, settingsPath);
    const double dpiX = window.logicalDpiX();
    const double dpiY = window.logicalDpiY();
    auto expectAt = [&](const char* name, int left, int top, int width, int height) {
        QWidget* control = Control<QWidget>(window, name);
        EXPECT_EQ(control->geometry(), QRect(TwipsToPixels(left, dpiX), TwipsToPixels(top, dpiY),
                                             TwipsToPixels(width, dpiX), TwipsToPixels(height, dpiY)))
            << name;
    };
    EXPECT_EQ(window.size(), QSize(TwipsToPixels(7380, dpiX), TwipsToPixels(6840, dpiY)));
    expectAt("Label4", 480, 4080, 6735, 375);
    expectAt("Label3", 480, 4440, 3255, 855);
    expectAt("Command4", 4920, 4680, 1515, 605);
    expectAt("Label2", 4680, 5520, 2055, 495);
    expectAt("Check1", 480, 5280, 200, 200);
    expectAt("Label1", 720, 5660, 3135, 375);
    expectAt("Check2", 480, 6120, 200, 200);
    expectAt("Command6", 4800, 6120, 855, 255);
    expectAt("Command7", 5760, 6120, 855, 255);
    expectAt("ProgressBar1", 0, 6585, 7380, 255);

    const QFont title = Control<QLabel>(window, "Label4")->font();
    EXPECT_EQ(title.family(), "Arial");
    EXPECT_DOUBLE_EQ(title.pointSizeF(), 9.75);
    EXPECT_TRUE(title.bold());
    EXPECT_TRUE(Control<QLabel>(window, "Label3")->wordWrap());
    EXPECT_EQ(Control<QPushButton>(window, "Command4")->text(), "");
    EXPECT_EQ(Control<QCheckBox>(window, "Check1")->text(), "");
    EXPECT_EQ(Control<QLabel>(window, "Label5")->text(), "Sync Date and Time on Terminal with PC");
    EXPECT_EQ(Control<QLabel>(window, "Label6")->text(), "Auto Delete Data from Device After Transfer to PC");
}

TEST_F(Form1Test, AboutOpensOnceShowsNameAndVersionAndClosesWithTheWindow) {
    auto* window = new Form1(clock, settingsPath);
    window->show();
    Click(Control<QPushButton>(*window, "Command7"));
    QPointer<frmAbout> about = window->AboutBox();
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), "About Bayhaul");
    EXPECT_EQ(Control<QLabel>(*about, "lblTitle")->text(), "Bayhaul");
    EXPECT_EQ(Control<QLabel>(*about, "lblVersion")->text(), "Version 1.1.2");

    Click(Control<QPushButton>(*window, "Command7"));
    EXPECT_EQ(window->AboutBox(), about.data()) << "a second click brings the same box forward";
    EXPECT_EQ(window->findChildren<frmAbout*>().size(), 1);

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull() || !about->isVisible());
    delete window;
}

TEST_F(Form1Test, DownloadAndSettingsButtonsDoNothingYet) {
    Form1 window(clock, settingsPath);
    window.show();
    const std::string before = ReadWholeFile(settingsPath);
    Click(Control<QPushButton>(window, "Command4"));
    Click(Control<QPushButton>(window, "Command6"));
    EXPECT_EQ(Control<QLabel>(window, "Label2")->text(), "");
    EXPECT_EQ(ReadWholeFile(settingsPath), before);
    EXPECT_EQ(QApplication::topLevelWidgets().count(&window), 1);
}

}  // namespace
}  // namespace bayhaul
