#pragma once
#include "platform/Dialogs.h"
#include <QList>
#include <QStringList>

namespace fakes {

// Records every message and question; answers questions from a queue (No when it runs dry, like
// a user who just presses Enter on the default button).
class FakeDialogs : public platform::Dialogs {
public:
    void message(const QString& text) override { messages.append(text); }
    bool askYesNo(const QString& text) override
    {
        questions.append(text);
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    std::optional<QString> saveFileName(const SaveRequest& request) override
    {
        saveRequests.append(request);
        return saveAnswer;
    }

    QStringList messages, questions;
    QList<bool> answers;
    QList<SaveRequest> saveRequests;
    std::optional<QString> saveAnswer;
};

} // namespace fakes
