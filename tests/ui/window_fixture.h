#pragma once
// A real window with a scripted dialog provider and the simulated unit behind it.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "device/simulated_platform.h"
#include "device/simulated_unit.h"
#include "ui/colour_grid.h"
#include "ui/dialog_provider.h"
#include "ui/main_form.h"

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace valdro::ui::test {

// Records every text shown and answers from queues (Cancel / cancelled chooser
// when a queue runs dry).
class ScriptedDialogs : public DialogProvider {
  public:
    void Error(const QString& text, const QString& detail) override {
        log.push_back(QStringLiteral("E:") + text);
        errorDetails.push_back(detail);
    }
    void Information(const QString& text) override { log.push_back(QStringLiteral("I:") + text); }
    Answer Confirm(const QString& text) override;
    std::optional<QString> OpenFile(const FileChooser& chooser) override;
    std::optional<QString> SaveFile(const FileChooser& chooser) override;

    QStringList Errors() const;

    QStringList log;           // "E:text", "I:text", "C:text", "O:<lastName>", "S:<lastName>"
    QStringList errorDetails;  // each error's detail line, "" for none
    std::deque<Answer> answers;
    std::deque<QString> openAnswers;  // an empty name cancels the chooser
    std::deque<QString> saveAnswers;
    std::vector<FileChooser> saveChoosers;
};

// Cells 1..16 of a grid row: R red, G green, - grey, ? anything else.
QString Colours(const ColourGrid* grid, int row);

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    template <typename T>
    T* W(const QString& name) const {
        T* w = form->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    template <typename T = QWidget>
    T* W(const char* name) const {
        return W<T>(QString::fromLatin1(name));
    }
    QLineEdit* Edit(const QString& name) const { return W<QLineEdit>(name); }
    QString Text(const char* editName) const { return W<QLineEdit>(editName)->text(); }
    bool Hidden(const char* name) const { return W<QWidget>(name)->isHidden(); }
    const ConfigSet& C() const { return form->Config(); }
    UnitRecord Unit(int u) { return form->Store().Current().Unit(u); }

    // User actions.
    void ClickUnit(int unit, Qt::MouseButton button = Qt::LeftButton);
    void ClickButton(const QString& name);
    void Type(const QString& editName, const QString& text);  // replaces the text
    void Type(const char* editName, const char* text) {
        Type(QString::fromLatin1(editName), QString::fromUtf8(text));
    }
    void SetChecked(const QString& checkBoxName, bool on);  // by clicking
    void ShowPage(int index);                               // 0 General .. 2 Status
    void ClickOutputTab(int index, Qt::MouseButton button = Qt::LeftButton);
    void PressCell(int column, int row, Qt::MouseButton button = Qt::LeftButton);
    void MoveOverCell(int column, int row);
    QColor CellColour(int column, int row) const;
    QString TempPath(const QString& name) const { return tmp.filePath(name); }

    std::unique_ptr<SimulatedUnit> unit;
    std::unique_ptr<SimulatedPlatform> platform;
    ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
    QTemporaryDir tmp;
};

}  // namespace valdro::ui::test
