#pragma once

// What the chat screen's QML tests share: the screen against the in-process local service
// (no chats there yet), through a client of the test's own made the application's, shown in a
// window the size of a desktop's.

#include "chatfixture.h"
#include "localservice.h"
#include "quickscreen.h"

#include <QQuickStyle>
#include <QQuickView>
#include <QTest>
#include <QTemporaryDir>

#include <memory>

namespace vexa::test {

class ChatScreenTest : public QObject
{
protected:
    static void setUpApplication()
    {
        QStandardPaths::setTestModeEnabled(true);
        QQuickStyle::setStyle(QStringLiteral("Material"));
    }
    // The service listening; a test may script more replies before the screen is loaded.
    bool startService()
    {
        m_service = std::make_unique<service::LocalService>();
        if (!m_service->listen())
            return false;
        service::ScriptedReply chats;
        chats.body = R"({"ok":true,"chats":[]})";
        m_service->script("GET", QStringLiteral("/api/chats"), chats);
        m_client = std::make_unique<TestClient>(m_service->baseUrl().toString(),
                                                m_dir.filePath(QStringLiteral("cookies")));
        VexaClient::setShared(m_client.get());
        return true;
    }
    void stop()
    {
        m_view.reset();
        VexaClient::setShared(nullptr);
        m_client.reset();
        m_service.reset();
    }
    void load()
    {
        m_view = openScreen(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Chat/ChatView.qml")),
                            {900, 700});
        QVERIFY(m_view);
    }
    ChatViewModel *viewModel() const
    {
        return m_view->rootObject()->property("viewModel").value<ChatViewModel *>();
    }
    QQuickItem *item(const QString &name) const
    {
        return qobject_cast<QQuickItem *>(findObject(*m_view, name));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<service::LocalService> m_service;
    std::unique_ptr<TestClient> m_client;
    std::unique_ptr<QQuickView> m_view;
};

} // namespace vexa::test
