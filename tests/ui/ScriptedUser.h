#pragma once
// A scripted user for window tests: answers the Prompter's questions from
// queues and records every text shown and every file question asked.
#include "ui/Prompter.h"

#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace tc::ui {

struct ScriptedUser {
    QStringList errors, infos, questions;
    std::deque<Answer> answers;               // for AskYesNo, AskYesNoCancel and AskTable; No when empty
    std::deque<int> choices;                  // for AskChoice (button index); its escape answer when empty
    std::deque<std::optional<QString>> files; // for AskFile; cancel when empty
    std::vector<FileQuestion> fileQuestions;  // every file question, in order
    Prompter previous;

    ScriptedUser()
    {
        Prompter p;
        p.showError = [this](const QString& t) { errors << t; };
        p.showInfo = [this](const QString& t) { infos << t; };
        p.askYesNo = [this](const QString& t) {
            questions << t;
            if (answers.empty())
                return Answer::No;
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        };
        p.askYesNoCancel = p.askYesNo;
        // A table question is recorded as one text: the intro, a line per
        // row ("caption: before → after unit"), the note and the question.
        p.askTable = [p](const TableQuestion& q) {
            QStringList lines{q.intro};
            for (const QStringList& row : q.rows)
                lines << row.join(QStringLiteral("\t"));
            if (!q.note.isEmpty())
                lines << q.note;
            lines << q.question;
            return p.askYesNo(lines.join(QStringLiteral("\n")));
        };
        // A table question with its own buttons is recorded as askTable
        // records it, the buttons on a last line ("[Yes|…|No]"); it takes
        // the next choice, or else the next answer (Yes the first button).
        p.askTableChoice = [this, p](const TableQuestion& q, const QStringList& buttons, int escape) {
            TableQuestion shown = q;
            shown.question += "\n[" + buttons.join('|') + "]";
            if (!choices.empty()) {
                answers.push_front(Answer::No);
                p.askTable(shown);
                const int c = choices.front();
                choices.pop_front();
                return c;
            }
            return p.askTable(shown) == Answer::Yes ? 0 : escape;
        };
        p.askChoice = [this](const QString& t, const QStringList& buttons, int escape) {
            questions << t + " [" + buttons.join('|') + "]";
            if (choices.empty())
                return escape;
            const int c = choices.front();
            choices.pop_front();
            return c;
        };
        p.askFile = [this](const FileQuestion& q) -> std::optional<QString> {
            fileQuestions.push_back(q);
            if (files.empty())
                return std::nullopt;
            const QString name = files.front().value_or(QString());
            const bool cancelled = !files.front().has_value();
            files.pop_front();
            if (cancelled)
                return std::nullopt;
            return name;
        };
        previous = SetPrompter(p);
    }
    ~ScriptedUser() { SetPrompter(previous); }
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;
};

} // namespace tc::ui
