#pragma once
// A real window with a scripted dialog provider and the simulated unit behind it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <deque>

#include "device/simulated_platform.h"
#include "device/simulated_unit.h"
#include "ui/colour_grid.h"
#include "ui/dialog_provider.h"
#include "ui/main_form.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace valdro::ui::test {

using namespace Qt::StringLiterals;

// Logs every box and chooser ("E:text", "D:detail", "I:text", "C:text",
// "O:lastName", "S:lastName") and answers from queues: Cancel, or a cancelled
// chooser (also for an empty name), when a queue runs dry.
class ScriptedDialogs : public DialogProvider {
  public:
    void Error(const QString& text, const QString& detail) override {
        log << u"E:"_s + text << (detail.isEmpty() ? QStringList() : QStringList{u"D:"_s + detail});
    }
    void Information(const QString& text) override { log << u"I:"_s + text; }
    Answer Confirm(const QString& text) override {
        log << u"C:"_s + text;
        return Next(answers, Answer::Cancel);
    }
    std::optional<QString> OpenFile(const FileChooser& c) override { return Choose(u"O:"_s, c); }
    std::optional<QString> SaveFile(const FileChooser& c) override { return Choose(u"S:"_s, c); }
    std::optional<QString> Choose(const QString& kind, const FileChooser& chooser) {
        log << kind + chooser.lastName;
        choosers.push_back(chooser);
        const QString name = Next(files, QString());
        return name.isEmpty() ? std::nullopt : std::optional(name);
    }
    template <typename T>
    static T Next(std::deque<T>& queue, T dry) {
        T next = queue.empty() ? dry : queue.front();
        queue.erase(queue.begin(), queue.begin() + !queue.empty());
        return next;
    }
    QStringList Errors() const {
        return QStringList(log.filter(u"E:"_s)).replaceInStrings(u"E:"_s, QString());
    }

    QStringList log;
    std::deque<Answer> answers;
    std::deque<QString> files;  // for either chooser
    std::vector<FileChooser> choosers;
};

// Cells 1..16 of a grid row: R red, G green, - grey, ? anything else.
QString Colours(const ColourGrid* grid, int row);

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { MakeForm(tmp.filePath(u"missing/valdrometrica.chm"_s)); }
    void MakeForm(const QString& helpFile);
    template <typename T = QWidget>
    T* W(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Text(const char* edit) const { return W<QLineEdit>(edit)->text(); }
    const ConfigSet& C() const { return form->Config(); }
    UnitRecord Unit(int u) { return form->Store().Current().Unit(u); }
    QString Path(const char* name) const { return tmp.filePath(QString::fromLatin1(name)); }

    // User actions on the real widgets.
    void ClickUnit(int unit, Qt::MouseButton button = Qt::LeftButton);
    void Click(const char* buttonName);
    void Type(const char* edit, const QString& text);  // replaces the text
    void Type(const char* edit, const char* text) { Type(edit, QString::fromUtf8(text)); }
    void ShowPage(int index);  // 0 General .. 2 Status
    void ClickOutputTab(int index);
    void PressCell(int column, int row, Qt::MouseButton button = Qt::LeftButton);

    QTemporaryDir tmp;
    SimulatedUnit unit;
    SimulatedPlatform platform{unit};
    ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

}  // namespace valdro::ui::test
