// SPDX-License-Identifier: MIT
#include "ui/typing_limit.h"

namespace huepick {

TypingLimit::TypingLimit(int limit, QLineEdit* edit) : QValidator(edit), m_limit(limit) {
    m_last = edit->text();
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_last = text; });
}

QValidator::State TypingLimit::validate(QString& input, int& pos) const {
    // QLineEdit validates a programmatic setText as well and keeps what we
    // change. setText clears the undo history first, so only the user's own
    // edits reach us with an undo step recorded.
    const auto* edit = qobject_cast<const QLineEdit*>(parent());
    const bool userEdit = edit && edit->isUndoAvailable();
    if (userEdit && input.size() > m_limit && input.size() > m_last.size()) {
        input = fit(m_last, input, pos, m_limit);
    }
    return Acceptable;
}

QString TypingLimit::fit(const QString& before, const QString& after, int& pos, int limit) {
    // After an insertion the cursor ends the inserted run, and what follows it
    // is what followed the replaced selection.
    const QStringView tail = QStringView(after).mid(pos);
    if (pos < 0 || pos > after.size() || !QStringView(before).endsWith(tail)) {
        pos = std::min<int>(pos, limit);
        return after.left(std::max(limit, static_cast<int>(before.size())));
    }
    const qsizetype headRoom = before.size() - tail.size();
    qsizetype prefix = 0;
    while (prefix < pos && prefix < headRoom && after[prefix] == before[prefix]) {
        ++prefix;
    }
    const qsizetype inserted = pos - prefix;
    const qsizetype room = std::max<qsizetype>(0, limit - prefix - tail.size());
    const qsizetype kept = std::min(inserted, room);
    pos = static_cast<int>(prefix + kept);
    return after.left(prefix + kept) + tail.toString();
}

}  // namespace huepick
