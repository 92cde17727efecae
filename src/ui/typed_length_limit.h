#pragma once
// Limits what the user can type into an edit box without cutting text that the
// program puts there: a loaded name or URL longer than the box's limit is shown
// and stored back whole instead of being silently shortened.

#include <QValidator>

class QLineEdit;

namespace valdro::ui {

class TypedLengthLimit : public QValidator {
    Q_OBJECT
  public:
    TypedLengthLimit(int limit, QLineEdit* edit);
    State validate(QString& input, int& pos) const override;

    // Sets the edit's text from the program, allowing that text's full length.
    void SetText(const QString& text);

  private:
    int limit_;
    int allowed_;
    QLineEdit* edit_;
};

}  // namespace valdro::ui
