#include "about/frm_about.h"
#include "qt/form1.h"
#include "app/main_window_layout.h"
#include "qt/report_window.h"
#include "link/recording_tether.h"
#include "link/failure_advice.h"
#include "link/tether_codes.h"
#include "ports/fake_device_platform.h"
#include "ui/twips.h"
#include "support/fixed_time.h"
#include "support/in_process_workers.h"
#include "support/qt_controls.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace bayhaul {
namespace {

class Form1Test : public ::testing::Test {
protected:
    TempDir dir;
    FixedClock clock;
    std::string settingsPath = dir / "settings.ini";
    RecordingTether tether;
    DevicePlatformFactory noPorts = [] { return testing::PortsWithNames({}); };

    // The ports' workers run on threads of the test with the recording library.
    std::shared_ptr<WorkerStarter> Workers() { return std::make_shared<testing::InProcessWorkers>(tether); }

    // Handles the window's events until its press has ended.
    static void WaitForThePress(Form1& window) {
        for (int round = 0; round < 1000 && window.State().PressRunning(); ++round) QTest::qWait(10);
        ASSERT_FALSE(window.State().PressRunning()) << "the press ended within 10 s";
    }

    // The user's desktop folder is one of the test's own.
    void SetUp() override {
        env.Set("HOME", dir.Path());
        env.Set("XDG_CONFIG_HOME", dir / "config");
        std::filesystem::create_directories(dir / "Desktop");
    }
    ScopedEnv env;

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

// The report window's rows as a screen reader reaches them: each row's
// cells through Qt's accessibility interface of the table, "COM3 | state | 45%".
std::vector<std::string> AccessibleRows(QWidget& report) {
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(Control<QTableView>(report, "ReportRows"));
    if (view == nullptr || view->tableInterface() == nullptr) return {"no accessible table"};
    QAccessibleTableInterface* table = view->tableInterface();
    std::vector<std::string> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        std::string cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            QAccessibleInterface* cell = table->cellAt(row, column);
            cells += (column > 0 ? " | " : "") + (cell ? cell->text(QAccessible::Name).toStdString() : "?");
        }
        rows.push_back(cells);
    }
    return rows;
}

TEST_F(Form1Test, StartsWithoutAFileAsTheDefaultsSay) {
    Form1 window(clock, settingsPath, Workers(), noPorts);
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
    Form1 window(clock, settingsPath, Workers(), noPorts);
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
    Form1 window(clock, settingsPath, Workers(), noPorts);
    EXPECT_FALSE(Control<QCheckBox>(window, "Check1")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(window, "Check2")->isChecked());
    EXPECT_EQ(ReadWholeFile(settingsPath), "0\r\n1\r\n/srv/data\r\nFORM\r\nDAT\r\n");
}

TEST_F(Form1Test, ClickingTheBoxesInEitherOrderStoresEachOnItsOwnLine) {
    Form1 window(clock, settingsPath, Workers(), noPorts);
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

TEST_F(Form1Test, ClickingACaptionIsAClickOnItsBox) {
    Form1 window(clock, settingsPath, Workers(), noPorts);
    window.show();
    auto* check1 = Control<QCheckBox>(window, "Check1");
    auto* check2 = Control<QCheckBox>(window, "Check2");
    Click(Control<QLabel>(window, "Label5"));
    EXPECT_FALSE(check1->isChecked());
    EXPECT_EQ(FileLines(0, 2), "0;0;");
    Click(Control<QLabel>(window, "Label6"));
    EXPECT_TRUE(check2->isChecked());
    EXPECT_EQ(FileLines(0, 2), "0;1;");
    EXPECT_EQ(window.State().Settings.sync, "0");
    EXPECT_EQ(window.State().Settings.del, "1");

    Click(Control<QLabel>(window, "Label6"), Qt::RightButton);  // as on the box: only the left button clicks
    EXPECT_TRUE(check2->isChecked());
    Click(Control<QLabel>(window, "Label5"));
    EXPECT_TRUE(check1->isChecked());
    EXPECT_EQ(FileLines(0, 5), "1;1;Desktop;FORM;DAT;");
}

TEST_F(Form1Test, ControlsShowTheLayoutTable) {
    Form1 window(clock, settingsPath, Workers(), noPorts);
    const double dpiX = window.logicalDpiX();
    const double dpiY = window.logicalDpiY();
    EXPECT_EQ(window.size(), QSize(TwipsToPixels(7380, dpiX), TwipsToPixels(6840, dpiY)));
    for (const ControlSpec& layout : MainWindowControls()) {
        SCOPED_TRACE(layout.name);
        QWidget* control = Control<QWidget>(window, layout.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(),
                  QRect(TwipsToPixels(layout.place.left, dpiX), TwipsToPixels(layout.place.top, dpiY),
                        TwipsToPixels(layout.place.width, dpiX), TwipsToPixels(layout.place.height, dpiY)));
        const QString text = QString::fromLatin1(layout.text);
        if (auto* box = qobject_cast<QCheckBox*>(control)) {
            EXPECT_EQ(box->text(), "");
            EXPECT_EQ(box->accessibleName(), text);
            QStyleOptionButton option;
            option.initFrom(box);
            EXPECT_EQ(box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).size(), box->size())
                << "the box fills its place";
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), text);
        } else if (auto* label = qobject_cast<QLabel*>(control); label && std::string(layout.name) != "Label1") {
            EXPECT_EQ(label->text(), text) << "Label1 shows the clock once loaded";
        }
    }

    const QFont title = Control<QLabel>(window, "Label4")->font();
    EXPECT_EQ(title.family(), "Arial");
    EXPECT_DOUBLE_EQ(title.pointSizeF(), 9.75);
    EXPECT_TRUE(title.bold());
    EXPECT_TRUE(Control<QLabel>(window, "Label3")->wordWrap());
}

// What a screen reader finds: a name for every control shown, the status
// line's words as its description, each box labelled by its caption.
TEST_F(Form1Test, ScreenReadersFindEveryControlNamed) {
    Form1 window(clock, settingsPath, Workers(), noPorts);
    window.show();
    for (const ControlSpec& layout : MainWindowControls()) {
        QWidget* control = Control<QWidget>(window, layout.name);
        if (control->isVisible()) {
            EXPECT_FALSE(Accessible(control).isEmpty()) << layout.name;
        }
    }
    auto* status = Control<QLabel>(window, "Label2");
    const struct {
        const char* control;
        QAccessible::Role role;
        const char* name;
    } named[] = {
        {"Label2", QAccessible::StaticText, "Status"},
        {"ProgressBar1", QAccessible::ProgressBar, "Download progress"},
        {"Command4", QAccessible::Button, "Download"},
        {"Check1", QAccessible::CheckBox, "Sync Date and Time on Terminal with PC"},
        {"Check2", QAccessible::CheckBox, "Auto Delete Data from Device After Transfer to PC"},
    };
    for (const auto& expected : named) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(Control<QWidget>(window, expected.control));
        ASSERT_NE(face, nullptr) << expected.control;
        EXPECT_EQ(face->role(), expected.role) << expected.control;
        EXPECT_EQ(face->text(QAccessible::Name), expected.name);
    }

    Click(Control<QPushButton>(window, "Command4"));
    WaitForThePress(window);
    EXPECT_EQ(Accessible(status), "Status");
    EXPECT_EQ(Accessible(status, QAccessible::Description).toStdString(),
              "Finished download 0 file(s) at " + window.State().GeneralDateTimeNow());

    for (const char* box : {"Check1", "Check2"}) {
        const auto labels = QAccessible::queryAccessibleInterface(Control<QWidget>(window, box))
                                ->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << box;
        EXPECT_EQ(labels.front().first->object()->objectName(), box == std::string("Check1") ? "Label5" : "Label6");
    }
}

TEST_F(Form1Test, EnterPressesTheFocusedButtonWhoseFocusShows) {
    Form1 window(clock, settingsPath, Workers(), [] { return testing::PortsWithNames({"USB Serial Port (COM3)"}); });
    tether.handles = {7, 8, 9, 10};  // COM3: no terminal answers, in both passes
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* download = Control<QPushButton>(window, "Command4");
    auto* settings = Control<QPushButton>(window, "Command6");
    auto* about = Control<QPushButton>(window, "Command7");

    // A ring in the text colour over the edge of the focused button or box,
    // which shows on the download button's picture too.
    for (const char* name : {"Command4", "Command6", "Command7", "Check1", "Check2"}) {
        SCOPED_TRACE(name);
        QWidget* control = Control<QWidget>(window, name);
        const QColor text = control->palette().color(QPalette::WindowText);
        const QPoint edge(1, control->height() / 2);
        window.setFocus();
        EXPECT_NE(control->grab().toImage().pixelColor(edge), text);
        control->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(control->grab().toImage().pixelColor(edge), text);
    }

    download->setFocus(Qt::TabFocusReason);
    QTest::keyClick(download, Qt::Key_Return);
    WaitForThePress(window);
    EXPECT_GT(std::count(tether.calls.begin(), tether.calls.end(), "Create"), 0) << "a press asked the library";
    EXPECT_TRUE(Control<QLabel>(window, "Label2")->text().startsWith("Finished download 0 file(s)"));

    settings->setFocus(Qt::TabFocusReason);
    QTest::keyClick(settings, Qt::Key_Enter);
    ASSERT_TRUE(window.SettingsBox());
    EXPECT_TRUE(window.SettingsBox()->isVisible());
    about->setFocus(Qt::TabFocusReason);
    QTest::keyClick(about, Qt::Key_Return);
    ASSERT_TRUE(window.AboutBox());
    EXPECT_TRUE(window.AboutBox()->isVisible());
}

TEST_F(Form1Test, EscapeOrEnterClosesTheAboutBox) {
    Form1 window(clock, settingsPath, Workers(), noPorts);
    window.show();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        Click(Control<QPushButton>(window, "Command7"));
        QPointer<frmAbout> about = window.AboutBox();
        ASSERT_TRUE(about);
        about->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(about));
        QTest::keyClick(about, key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(about.isNull()) << QKeySequence(key).toString().toStdString();
    }
}

TEST_F(Form1Test, AboutOpensOnceShowsNameAndVersionAndClosesWithTheWindow) {
    auto* window = new Form1(clock, settingsPath, Workers(), noPorts);
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

TEST_F(Form1Test, DownloadButtonRunsAPressAndShowsItsEnd) {
    Form1 window(clock, settingsPath, Workers(), noPorts);
    window.show();
    Click(Control<QPushButton>(window, "Command4"));
    EXPECT_FALSE(Control<QPushButton>(window, "Command4")->isEnabled()) << "busy while the press runs";
    WaitForThePress(window);
    EXPECT_TRUE(Control<QPushButton>(window, "Command4")->isEnabled());
    EXPECT_EQ(Control<QLabel>(window, "Label2")->text().toStdString(),
              "Finished download 0 file(s) at " + window.State().GeneralDateTimeNow());
    EXPECT_EQ(Control<QProgressBar>(window, "ProgressBar1")->value(), 0);
}

TEST_F(Form1Test, CloseDuringATransferStopsThePressThenClosesTheWindow) {
    auto* window =
        new Form1(clock, settingsPath, Workers(), [] { return testing::PortsWithNames({"USB Serial Port (COM3)"}); }, {},
                  dir / "state");
    window->show();
    Click(Control<QPushButton>(*window, "Command7"));
    QPointer<frmAbout> about = window->AboutBox();
    tether.handles = {7};
    tether.connects = {1};
    tether.queries = {8};
    tether.uploads = {1};
    tether.polls = std::deque<std::int16_t>(200, 1);  // ten seconds of a transfer

    Click(Control<QPushButton>(*window, "Command4"));
    auto* status = Control<QLabel>(*window, "Label2");
    for (int round = 0; round < 500 && !status->text().startsWith("Downloading"); ++round) QTest::qWait(10);
    ASSERT_TRUE(status->text().startsWith("Downloading"));
    Click(Control<QPushButton>(*window, "Command4"));  // ignored: a press runs
    window->close();                                   // the press is asked to stop
    EXPECT_TRUE(window->isVisible()) << "the window waits for the press to stop";
    for (int round = 0; round < 200 && window->isVisible(); ++round) QTest::qWait(10);
    EXPECT_FALSE(window->State().PressRunning());
    EXPECT_EQ(std::count(tether.calls.begin(), tether.calls.end(), "Create"), 1);
    EXPECT_EQ(tether.calls.back(), "Destroy 7");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(about.isNull() || !about->isVisible());
    delete window;
}

TEST_F(Form1Test, SettingsOpensOnceComesForwardAndClosesWithTheWindowAsCancel) {
    auto* window = new Form1(clock, settingsPath, Workers(), noPorts);
    window->show();
    const std::string before = ReadWholeFile(settingsPath);
    Click(Control<QPushButton>(*window, "Command6"));
    QPointer<Settings> dialog = window->SettingsBox();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    auto* text2 = Control<QLineEdit>(*dialog, "Text2");
    QTest::keyClicks(text2, "x");

    // Opening it again reads nothing: the file's new name does not show.
    WriteWholeFile(settingsPath, "1\r\n0\r\nDesktop\r\nOTHER\r\nDAT\r\n");
    Click(Control<QPushButton>(*window, "Command6"));
    EXPECT_EQ(window->SettingsBox(), dialog.data());
    EXPECT_EQ(window->findChildren<Settings*>().size(), 1);
    EXPECT_EQ(text2->text(), "FORMx");

    WriteWholeFile(settingsPath, before);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(ReadWholeFile(settingsPath), before) << "closing discards the dialog's changes";
    EXPECT_EQ(window->State().Settings.filename, "FORM");
    delete window;
}

TEST_F(Form1Test, TheDialogsApplyAndOKKeepTheBoxesAsTheMainWindowShowsThem) {
    WriteWholeFile(settingsPath, "1\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n");
    Form1 window(clock, settingsPath, Workers(), noPorts);
    window.show();
    Click(Control<QPushButton>(window, "Command6"));
    QPointer<Settings> dialog = window.SettingsBox();
    ASSERT_TRUE(dialog);

    // "Auto Delete" cleared in the main window while the dialog is open.
    Click(Control<QCheckBox>(window, "Check2"));
    EXPECT_EQ(FileLines(0, 2), "1;0;");
    QTest::keyClicks(Control<QLineEdit>(*dialog, "Text3"), "2");
    Click(Control<QPushButton>(*dialog, "cmdApply"));
    EXPECT_EQ(FileLines(0, 5), "1;0;Desktop;FORM;DAT2;") << "line 2 as the box stands";

    Click(Control<QCheckBox>(window, "Check1"));
    Click(Control<QPushButton>(*dialog, "cmdOK"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(FileLines(0, 5), "0;0;Desktop;FORM;DAT2;") << "line 1 as the box stands";
    EXPECT_EQ(window.State().Settings.sync + window.State().Settings.del, "00");
    EXPECT_EQ(window.State().Settings.fileext, "DAT2");
    EXPECT_FALSE(Control<QCheckBox>(window, "Check1")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(window, "Check2")->isChecked());
}

TEST_F(Form1Test, TheStatusLineOpensTheWholeReportWithTheWayToTheHistory) {
    TempDir state;
    Form1 window(clock, settingsPath, Workers(), [] { return testing::PortsWithNames({"USB Serial Port (COM3)"}); }, {},
                 state.Path());
    window.show();
    tether.handles = {7, 8, 9, 10};                   // COM3: no terminal answers, in both passes
    Click(Control<QPushButton>(window, "Command4"));
    WaitForThePress(window);
    QTest::mouseClick(Control<QLabel>(window, "Label2"), Qt::LeftButton);
    QPointer<ReportWindow> report = window.ReportBox();
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->isVisible());
    const std::string text = Control<QPlainTextEdit>(*report, "ReportText")->toPlainText().toStdString();
    EXPECT_EQ(text, window.State().Label2 + "\n" + kNoTerminalHint + "\n\nEvery press is in " +
                        (std::filesystem::path(state.Path()) / "history.csv").string() + ".");
    EXPECT_EQ(AccessibleRows(*report), (std::vector<std::string>{"COM3 | no terminal answered | "}));
    EXPECT_TRUE(Control<QPushButton>(*report, "OpenHistory")->isEnabled());

    QTest::keyClick(report, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(report.isNull());
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);  // the keyboard's way to it
    ASSERT_TRUE(window.ReportBox());
    EXPECT_TRUE(window.ReportBox()->isVisible());
}

TEST_F(Form1Test, TheReportWindowIsTheLiveViewOfAPressWithARowPerPort) {
    TempDir state;
    Form1 window(clock, settingsPath, Workers(), [] {
        return testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM4)", "USB Serial Port (COM5)"});
    }, {}, state.Path());
    window.show();
    tether.features = tether::feature::kOurCodes | tether::feature::kConcurrentSessions;
    using namespace std::chrono_literals;
    tether.terminals = {{3, {"slow", 1500ms}},                        // COM4 waits for its name
                        {4, {"fast", 0ms}},
                        {5, {"cut", 0ms, 100ms, tether::transfer::kLineLost}}};  // fails
    window.OpenReport();
    QWidget& report = *window.ReportBox();
    Click(Control<QPushButton>(window, "Command4"));
    const std::string waiting = "COM4 | received, waiting for COM3's name | ";
    const std::string failed = "COM5 | not saved: the terminal hung up after 0 of 3 bytes; the terminal keeps its data. " +
                               AdviceFor(FailureCause::Terminal) + " | not saved";
    bool seen = false;
    for (int round = 0; round < 1000 && window.State().PressRunning() && !seen; ++round) {
        QTest::qWait(10);
        const std::vector<std::string> rows = AccessibleRows(report);
        seen = rows.size() == 3 && rows[1] == waiting && rows[2] == failed && rows[0].rfind("COM3 | ", 0) == 0;
    }
    EXPECT_TRUE(seen) << ::testing::PrintToString(AccessibleRows(report));
    WaitForThePress(window);
    const std::vector<std::string> rows = AccessibleRows(report);
    ASSERT_EQ(rows.size(), 3u) << "the rows stay after the press";
    EXPECT_EQ(rows[0].rfind("COM3 | saved ", 0), 0u) << rows[0];
    EXPECT_EQ(rows[0].substr(rows[0].size() - 8), " | saved") << rows[0];
    EXPECT_EQ(rows[1].rfind("COM4 | saved ", 0), 0u) << rows[1];
    EXPECT_EQ(rows[2], failed);
    // The keyboard reaches the rows: the view takes the focus and moves through them.
    auto* view = Control<QTableView>(report, "ReportRows");
    EXPECT_EQ(view->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Name), "Ports");
}

TEST_F(Form1Test, TheReportWindowOpensAtEveryPressOnceAskedToAcrossStarts) {
    TempDir state;
    {
        Form1 window(clock, settingsPath, Workers(), noPorts, {}, state.Path());
        window.OpenReport();
        Click(Control<QCheckBox>(*window.ReportBox(), "ShowAtPress"));
        EXPECT_TRUE(window.State().ShowReportAtPress);
    }
    EXPECT_EQ(ReadWholeFile(state / "report-window.ini"), "show-at-every-press=1\n") << "not in settings.ini";
    EXPECT_EQ(ReadWholeFile(settingsPath).find("show"), std::string::npos);
    Form1 window(clock, settingsPath, Workers(), noPorts, {}, state.Path());
    window.show();
    ASSERT_FALSE(window.ReportBox());
    Click(Control<QPushButton>(window, "Command4"));
    ASSERT_TRUE(window.ReportBox()) << "the press opened its view";
    EXPECT_TRUE(Control<QCheckBox>(*window.ReportBox(), "ShowAtPress")->isChecked());
    WaitForThePress(window);
}

// Whether the label shows all of its text within its box, as Qt wraps it.
bool ShowsWhole(const QLabel& label) {
    const QRect box = label.contentsRect();
    return QFontMetrics(label.font()).boundingRect(box, Qt::TextWordWrap, label.text()).height() <= box.height();
}

TEST_F(Form1Test, LongLinesAreShortenedAtAWordAndTheirWholeTextIsInTheTooltip) {
    TempDir state;
    const std::string folder = dir / "a folder that was removed while the window stayed open";
    Form1 window(clock, settingsPath, Workers(), [] {
        return testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM7)", "USB Serial Port (COM9)",
                                        "USB Serial Port (COM10)", "USB Serial Port (COM11)"});
    }, {}, state.Path());
    window.show();
    // Five terminals on noisy lines, every try in both passes.
    tether.features = tether::feature::kOurCodes;
    for (LinkHandle h = 1; h <= 20; ++h) {
        tether.handles.push_back(h);
        tether.connects.push_back(tether::result::kLineNoisy);
    }
    Click(Control<QPushButton>(window, "Command4"));
    WaitForThePress(window);
    const QLabel& problem = *Control<QLabel>(window, "ProblemLine");
    const std::string whole = window.State().ProblemLine;
    ASSERT_EQ(whole.rfind("5 terminals not saved: COM3 (a terminal may be there", 0), 0u) << whole;
    const std::string shown = problem.text().toStdString();
    EXPECT_NE(shown, whole);
    EXPECT_EQ(shown.rfind("5 terminals not saved: COM3, COM7", 0), 0u) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 20), ": click for the list") << shown;
    EXPECT_TRUE(ShowsWhole(problem)) << shown;
    EXPECT_NE(problem.toolTip().toStdString().find("COM11 (a terminal may be there"), std::string::npos);

    // A status line too long for its two lines.
    window.State().Settings.diradd = folder;
    Click(Control<QPushButton>(window, "Command4"));
    WaitForThePress(window);
    const QLabel& status = *Control<QLabel>(window, "Label2");
    ASSERT_EQ(window.State().Label2, "The folder " + folder + " was not found. Choose a folder in Settings.");
    const std::string statusShown = status.text().toStdString();
    EXPECT_EQ(statusShown.substr(statusShown.size() - 3), "...");
    EXPECT_EQ(window.State().Label2.find(statusShown.substr(0, statusShown.size() - 3) + " "), 0u) << statusShown;
    EXPECT_TRUE(ShowsWhole(status)) << statusShown;
    EXPECT_NE(status.toolTip().toStdString().find(window.State().Label2), std::string::npos);
    EXPECT_EQ(status.accessibleDescription().toStdString(), window.State().Label2);
}

}  // namespace
}  // namespace bayhaul
