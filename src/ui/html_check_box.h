#pragma once
// A check box whose caption is a small piece of HTML ("<FONT bgcolor=...>").
// Caption() returns the caption exactly as set; the label shows it as rich text.

#include <QWidget>

class QCheckBox;
class QLabel;

namespace valdro::ui {

class HtmlCheckBox : public QWidget {
    Q_OBJECT
  public:
    enum class TextSide { Left, Right };
    explicit HtmlCheckBox(TextSide side, QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool IsChecked() const;
    void SetChecked(bool checked);  // no Clicked signal, like a program change
    QCheckBox* Box() const { return box_; }

    // Rich text the label understands for a caption in the FONT-tag notation.
    static QString ToQtRichText(const QString& caption);

  signals:
    void Clicked();  // the user toggled the box (mouse on box or caption, or Space)

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString caption_;
    QCheckBox* box_;
    QLabel* label_;
};

}  // namespace valdro::ui
