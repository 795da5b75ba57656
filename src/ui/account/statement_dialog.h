// CJiesDlg, "历史结算单查询": the daily settlement statement of a picked date as fixed-width
// text, and saving it to a text file.
#pragma once

#include <QDate>
#include <QDialog>
#include <string>

#include "core/session_state.h"

class QDateEdit;

namespace ft::ui {

class CXPButton;
class MultiLineEdit;

class CJiesDlg : public QDialog {
    Q_OBJECT
public:
    // The picker starts at `today`, whose statement is fetched at once.
    explicit CJiesDlg(const SessionState& session, QWidget* parent = nullptr,
                      QDate today = QDate::currentDate());

    QDateEdit* DatePicker() const { return date_; }
    CXPButton* QueryButton() const { return query_; }
    CXPButton* SaveButton() const { return save_; }
    MultiLineEdit* TextBox() const { return text_; }
    // The statement shown, as laid out (GBK, lines ending in CR LF): what a save writes.
    const std::string& StatementText() const { return statement_; }

    // "查询日结算单": the statement of the picked date replaces the text, unless the request
    // fails or the answer holds no statement. A press while one is out does nothing.
    void FetchStatement();
    // "保存到文件".
    void SaveStatement();

signals:
    // A fetch has ended, whether or not it changed the text.
    void fetchFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceTextBox();

    const SessionState& session_;
    QDateEdit* date_;
    CXPButton* query_;
    CXPButton* save_;
    MultiLineEdit* text_;
    std::string statement_;
    bool fetching_ = false;
};

}  // namespace ft::ui
