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

#include "dialog_provider.h"
#include "main_form.h"
#include "simulated_platform.h"
#include "simulated_unit.h"

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace valdro::ui::test {

// Records every text shown and answers from queues (Cancel / cancelled chooser
// when a queue runs dry).
class ScriptedDialogs : public DialogProvider {
  public:
    void Error(const QString& text) override { log.push_back(QStringLiteral("E:") + text); }
    void Information(const QString& text) override { log.push_back(QStringLiteral("I:") + text); }
    Answer Confirm(const QString& text) override;
    std::optional<QString> OpenFile(const FileChooser& chooser) override;
    std::optional<QString> SaveFile(const FileChooser& chooser) override;

    QStringList Errors() const;

    QStringList log;  // "E:text", "I:text", "C:text", "O:<lastName>", "S:<lastName>"
    std::deque<Answer> answers;
    std::deque<QString> openAnswers;  // an empty name cancels the chooser
    std::deque<QString> saveAnswers;
    std::vector<FileChooser> saveChoosers;
};

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
    QLineEdit* Edit(const QString& name) const { return W<QLineEdit>(name); }

    // User actions.
    void ClickUnit(int unit, Qt::MouseButton button = Qt::LeftButton);
    void ClickButton(const QString& name);
    void Type(const QString& editName, const QString& text);  // replaces the text
    void SetChecked(const QString& checkBoxName, bool on);    // by clicking
    void ShowPage(int index);                                 // 0 General .. 2 Status
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
