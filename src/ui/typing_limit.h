// SPDX-License-Identifier: MIT
// Limits what the user can type or paste into a line edit to a number of
// characters, while texts the program sets are never cut. A paste that does not
// fit is cut to the room that is left, as a length-limited text box does.
#pragma once

#include <QLineEdit>
#include <QValidator>

namespace huepick {

class TypingLimit : public QValidator {
    Q_OBJECT
public:
    TypingLimit(int limit, QLineEdit* edit);
    State validate(QString& input, int& pos) const override;
    int limit() const { return m_limit; }

    // The text an edit of `before` into `after` (cursor at `pos`) leaves when
    // the inserted characters are cut to fit `limit`.
    static QString fit(const QString& before, const QString& after, int& pos, int limit);

private:
    int m_limit;
    QString m_last;  // the text before the edit being validated
};

}  // namespace huepick
