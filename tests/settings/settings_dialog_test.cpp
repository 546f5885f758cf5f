// The Qt Settings dialog offscreen: built from the layout table, and its
// mouse, keyboard and button wiring, with the folder chooser faked.
#include "ui/qt_twips.h"
#include "settings/settings_dialog.h"
#include "settings/settings_dialog_fixture.h"
#include "settings/settings_dialog_layout.h"
#include "support/qt_controls.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <map>
#include <set>
#include <utility>

#include <sys/stat.h>

namespace bayhaul {
namespace {

class SettingsDialogTest : public SettingsDialogFixture {
protected:
    // Opens the dialog as the main window does; it deletes itself on closing.
    QPointer<Settings> Open() {
        WriteSettings("Desktop", "FORM", "DAT");
        QPointer<Settings> dialog = new Settings(state, nullptr, &chooser);
        dialog->show();
        return dialog;
    }
    static void FinishClosing() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static QString Shown(QWidget& dialog, const char* box) { return Control<QLineEdit>(dialog, box)->text(); }
};

TEST_F(SettingsDialogTest, ControlsFollowTheLayoutTableInADialogCentredOnTheScreen) {
    QPointer<Settings> dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Settings");
    EXPECT_EQ(dialog->size(), TwipsToPixels(TwipsRect{0, 0, 4995, 3300}, *dialog).size());
    const QRect screen = dialog->screen()->geometry();
    EXPECT_EQ(dialog->pos(), QPoint(screen.left() + (screen.width() - dialog->width()) / 2,
                                    screen.top() + (screen.height() - dialog->height()) / 2));
    for (const ControlSpec& layout : SettingsDialogControls()) {
        SCOPED_TRACE(layout.name);
        QWidget* control = Control<QWidget>(*dialog, layout.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), TwipsToPixels(layout.place, *dialog));
        EXPECT_EQ(control->parentWidget()->objectName(), QString::fromLatin1(layout.frame ? layout.frame : "Settings"));
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            EXPECT_EQ(button->text(), layout.text);
        }
        if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            EXPECT_EQ(frame->title(), "");
        }
    }
    EXPECT_EQ(Control<QRadioButton>(*dialog, "Option4")->text(), "My Documents");
    EXPECT_EQ(Control<QLabel>(*dialog, "Label2")->text(), ".");
    EXPECT_EQ(dialog->children().indexOf(Control<QLabel>(*dialog, "picOptions")), 0) << "behind the other controls";
    dialog->close();
}

// A screen reader names the three boxes, and reads each option within its
// named group, so "Default" of the name is told from "Default" of the extension.
TEST_F(SettingsDialogTest, ScreenReadersNameTheBoxesAndTheGroupOfEachOption) {
    QPointer<Settings> dialog = Open();
    EXPECT_EQ(Accessible(Control<QWidget>(*dialog, "Text1")), "Saved location folder");
    EXPECT_EQ(Accessible(Control<QWidget>(*dialog, "Text2")), "File name");
    EXPECT_EQ(Accessible(Control<QWidget>(*dialog, "Text3")), "File name extension");
    EXPECT_EQ(Accessible(Control<QWidget>(*dialog, "Text2"), QAccessible::Value), "FORM");

    const std::map<std::string, QString> groups = {
        {"Frame1", "Saved location"}, {"Frame2", "Saved file name"}, {"Frame3", "Extension"}};
    std::set<std::pair<QString, QString>> readAs;
    for (const ControlSpec& layout : SettingsDialogControls()) {
        if (layout.kind != ControlKind::OptionButton) continue;
        SCOPED_TRACE(layout.name);
        QAccessibleInterface* option = QAccessible::queryAccessibleInterface(Control<QWidget>(*dialog, layout.name));
        ASSERT_NE(option, nullptr);
        EXPECT_EQ(option->role(), QAccessible::RadioButton);
        EXPECT_EQ(option->text(QAccessible::Name), layout.text);
        QAccessibleInterface* group = option->parent();
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->role(), QAccessible::Grouping);
        EXPECT_EQ(group->text(QAccessible::Name), groups.at(layout.frame));
        readAs.emplace(group->text(QAccessible::Name), option->text(QAccessible::Name));
    }
    EXPECT_EQ(readAs.size(), 9u) << "no two options read alike";
    dialog->close();
}

TEST_F(SettingsDialogTest, AnyMouseButtonOnOption6OpensTheChooserButTheKeyboardNever) {
    QPointer<Settings> dialog = Open();
    auto* option5 = Control<QRadioButton>(*dialog, "Option5");
    auto* option6 = Control<QRadioButton>(*dialog, "Option6");
    chooser.answer = "/srv/right";
    Click(option6, Qt::RightButton);
    EXPECT_EQ(chooser.start, desktop) << "the chooser starts at the folder in the box";
    EXPECT_EQ(Shown(*dialog, "Text1"), "/srv/right");
    EXPECT_TRUE(option6->isChecked());
    chooser.answer = "/srv/left";
    Click(option6);
    EXPECT_EQ(chooser.shown, 2) << "one press, one chooser";
    EXPECT_EQ(Shown(*dialog, "Text1"), "/srv/left");

    Click(option5);  // fills the desktop folder; then the keyboard selects Custom twice
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    option5->setFocus();
    QTest::keyClick(option5, Qt::Key_Right);
    EXPECT_TRUE(option6->isChecked());
    QTest::keyClick(option6, Qt::Key_Space);
    EXPECT_EQ(chooser.shown, 2);
    EXPECT_EQ(Shown(*dialog, "Text1").toStdString(), desktop);
    dialog->close();
}

// After "Custom" the user types: the box has the focus, its text selected,
// so the first key replaces the old timestamp or name.
TEST_F(SettingsDialogTest, ACustomChoicePutsTheFocusInItsBoxWithTheTextSelected) {
    QPointer<Settings> dialog = Open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    Click(Control<QRadioButton>(*dialog, "Option8"));  // a timestamp in the name box
    const std::pair<const char*, const char*> cases[] = {{"Option9", "Text2"}, {"Option12", "Text3"}};
    for (const auto& [option, box] : cases) {
        SCOPED_TRACE(option);
        Click(Control<QRadioButton>(*dialog, option));
        auto* edit = Control<QLineEdit>(*dialog, box);
        EXPECT_EQ(QApplication::focusWidget(), edit);
        EXPECT_EQ(edit->selectedText(), edit->text());
        EXPECT_FALSE(edit->text().isEmpty());
    }
    QTest::keyClicks(QApplication::focusWidget(), "csv");
    EXPECT_EQ(Shown(*dialog, "Text3"), "csv");
    // The location's Custom asks for a folder, then puts the focus on it.
    chooser.answer = "/srv/picked";
    Click(Control<QRadioButton>(*dialog, "Option6"));
    EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>(*dialog, "Text1"));
    EXPECT_EQ(Control<QLineEdit>(*dialog, "Text1")->selectedText(), "/srv/picked");
    dialog->close();
}

TEST_F(SettingsDialogTest, CancelAfterTheChooserOrAfterApplyKeepsOnlyWhatApplyWrote) {
    QPointer<Settings> dialog = Open();
    const std::string original = ReadWholeFile(settingsPath);
    chooser.answer = "/srv/picked";
    Click(Control<QRadioButton>(*dialog, "Option6"), Qt::RightButton);
    Click(Control<QPushButton>(*dialog, "cmdCancel"));
    FinishClosing();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(ReadWholeFile(settingsPath), original);
    EXPECT_TRUE(mainRecord == AppSettings{});

    dialog = Open();
    QTest::keyClicks(Control<QLineEdit>(*dialog, "Text3"), "1");
    EXPECT_TRUE(Control<QRadioButton>(*dialog, "Option12")->isChecked()) << "typing selects Custom";
    QTest::keyClicks(Control<QLineEdit>(*dialog, "Text1"), "/more");
    EXPECT_TRUE(Control<QRadioButton>(*dialog, "Option6")->isChecked()) << "typing a folder selects Custom too";
    Click(Control<QPushButton>(*dialog, "cmdApply"));
    QTest::keyClicks(Control<QLineEdit>(*dialog, "Text3"), "2");
    Click(Control<QPushButton>(*dialog, "cmdCancel"));
    FinishClosing();
    EXPECT_EQ(FileLine(5), "DAT1");
    EXPECT_EQ(mainRecord.fileext, "DAT1");
}

TEST_F(SettingsDialogTest, EnterIsOKAndEscapeIsCancelUnlessAButtonHasTheFocus) {
    struct Case {
        const char* focus;
        Qt::Key key;
        const char* line4;
        bool stays;
    };
    const Case cases[] = {
        {"Text2", Qt::Key_Return, "FORMx", false},   {"Option7", Qt::Key_Enter, "FORMx", false},
        {"Text2", Qt::Key_Escape, "FORM", false},    {"cmdCancel", Qt::Key_Return, "FORM", false},
        {"cmdApply", Qt::Key_Return, "FORMx", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focus);
        QPointer<Settings> dialog = Open();
        QTest::keyClicks(Control<QLineEdit>(*dialog, "Text2"), "x");
        QWidget* focus = Control<QWidget>(*dialog, c.focus);
        focus->setFocus();
        QTest::keyClick(focus, c.key);
        EXPECT_EQ(FileLine(4), c.line4);
        EXPECT_EQ(dialog->isVisible(), c.stays);
        dialog->close();
        FinishClosing();
    }
}

TEST_F(SettingsDialogTest, AFailedWriteKeepsTheDialogOpenAndSaysWhyOnOneLine) {
    QPointer<Settings> dialog = Open();
    ::chmod(settingsPath.c_str(), 0444);
    const std::string file = ReadWholeFile(settingsPath);
    QTest::keyClicks(Control<QLineEdit>(*dialog, "Text2"), "x");
    Click(Control<QPushButton>(*dialog, "cmdOK"));
    EXPECT_EQ(ReadWholeFile(settingsPath), file);
    FinishClosing();
    ASSERT_FALSE(dialog.isNull());
    auto* why = Control<QLabel>(*dialog, "lblError");
    EXPECT_EQ(why->toolTip().toStdString(), "Not saved: " + settingsPath + " is read-only");
    EXPECT_TRUE(why->text().startsWith("Not saved: "));
    EXPECT_LE(why->fontMetrics().horizontalAdvance(why->text()), why->width()) << "one line, cut to fit";
    EXPECT_TRUE(mainRecord == AppSettings{});

    ::chmod(settingsPath.c_str(), 0644);
    Click(Control<QPushButton>(*dialog, "cmdOK"));
    FinishClosing();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(mainRecord.filename, "FORMx");
}

}  // namespace
}  // namespace bayhaul
