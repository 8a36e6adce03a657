// The assistant request of the code workspace: one question about the selected project, sent
// in a code conversation of its own on the service, with the question and the answer kept in
// the project's file.

#include "codeprojectstore.h"

#include "codeprompt.h"
#include "codetexts.h"
#include "vexaclient.h"

namespace vexa {

void CodeProjectStore::endAsk(std::optional<QString> failure)
{
    if (failure)
        setNotice(codetexts::askFailed(*failure));
    setBusy(false);
}

QCoro::Task<> CodeProjectStore::ask(QString question, QPointer<VexaClient> client)
{
    // The request works on this copy to the end: switching project or account while it runs
    // does not redirect it. It writes into the account folder it started in and updates the
    // listed copy only where the same id is listed.
    std::optional<CodeProject> started = project();
    if (!started || m_busy || !m_accountRoot || !client)
        co_return;
    const QString text = question.trimmed();
    if (text.isEmpty())
        co_return;
    CodeProject current = std::move(*started);
    const QString accountRoot = *m_accountRoot;
    // Taken before the first suspension, unsaved edits included: the file shown now is the
    // one the question is about, whatever is open when the conversation exists.
    const QString fileContext = codeprompt::fileContextBlock(m_selectedFile, editorText());
    QPointer<CodeProjectStore> self(this);
    setBusy(true);

    if (!current.conversationID) {
        Result<QString> created = co_await client->createCodeConversation();
        if (!self)
            co_return;
        if (!created) {
            endAsk(describe(created.error()));
            co_return;
        }
        current.conversationID = std::move(created).value();
        const Outcome<ClientError> saved = writeCodeProject(accountRoot, current);
        if (!saved) {
            endAsk(describe(saved.error()));
            co_return;
        }
        update(current);
    }

    const QString prompt = codeprompt::compose(current.name, fileContext, text);
    current.messages.append(ChatEntry::make(ChatEntry::Role::User, text));
    current.updatedAt = QDateTime::currentDateTimeUtc();
    const Outcome<ClientError> savedQuestion = writeCodeProject(accountRoot, current);
    if (!savedQuestion) {
        endAsk(describe(savedQuestion.error()));
        co_return;
    }
    update(current);

    if (!client) {
        endAsk(describe(ClientError(VexaError::invalidResponse())));
        co_return;
    }
    Result<QString> answer = co_await client->askCode(prompt, *current.conversationID);
    if (!self)
        co_return;
    if (!answer) {
        endAsk(describe(answer.error()));
        co_return;
    }

    current.messages.append(ChatEntry::make(ChatEntry::Role::Assistant, std::move(answer).value()));
    codeprompt::trimConversation(current.messages);
    current.updatedAt = QDateTime::currentDateTimeUtc();
    const Outcome<ClientError> savedAnswer = writeCodeProject(accountRoot, current);
    if (!savedAnswer) {
        endAsk(describe(savedAnswer.error()));
        co_return;
    }
    update(current);
    setNotice(std::nullopt);
    endAsk(std::nullopt);
}

} // namespace vexa
