#pragma once

// The web peer: the engine web-based chat apps run on (Chromium, started fresh and headless)
// drawing a page with the same content as the signed-in window's first frame — the sidebar with
// its sections and the 1,000 chat titles, the chat header, the open chat's 200 messages at their
// end (answers' Markdown turned into HTML by md4c's own renderer, as a server would send them)
// and the composer — styled like the app. The page is static: no script framework, no network,
// which is the least any web client showing this screen pays.

#include "startuprig.h"

#include <md4c-html.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>

#include <unistd.h>

namespace bench::web {

inline QString chromiumBinary()
{
    const QString fromEnvironment = qEnvironmentVariable("BENCH_CHROMIUM");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

inline QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

inline QString markdownToHtml(const QString &markdown)
{
    const QByteArray utf8 = markdown.toUtf8();
    QByteArray html;
    md_html(utf8.constData(), MD_SIZE(utf8.size()),
            [](const MD_CHAR *text, MD_SIZE size, void *out) {
                static_cast<QByteArray *>(out)->append(text, qsizetype(size));
            },
            &html, MD_DIALECT_GITHUB, 0);
    return QString::fromUtf8(html);
}

// The page for the service `seed` made: its chat titles and the open chat's messages.
inline QByteArray page(const vexa::service::ServiceState &state)
{
    QString chats;
    for (const auto &chat : state.chats)
        chats += QStringLiteral("<li><span class=i>&#x1F5E8;</span>%1</li>\n").arg(escaped(chat.title));
    QString messages;
    for (const auto &message : state.chats.constFirst().messages) {
        const bool user = message.role == QLatin1String("user");
        messages += user ? QStringLiteral("<div class='b u'>%1</div>\n").arg(escaped(message.text))
                         : QStringLiteral("<div class='b a'>%1</div>\n").arg(markdownToHtml(message.text));
    }
    const QStringList sections{QStringLiteral("Чат"), QStringLiteral("Vexa Code"),
                               QStringLiteral("Изображения"), QStringLiteral("Инструменты"),
                               QStringLiteral("Пространство"), QStringLiteral("Сообщество")};
    QString sectionItems;
    for (const QString &section : sections)
        sectionItems += QStringLiteral("<button class=s>%1</button>\n").arg(section);
    const QString html = QStringLiteral(R"(<!doctype html>
<html lang=ru><head><meta charset=utf-8><title>Vexa AI</title><style>
html,body{margin:0;height:100%;background:#0b0d17;color:#f4f5fb;font:15px 'DejaVu Sans',sans-serif}
body{display:flex;overflow:hidden}
nav{width:280px;display:flex;flex-direction:column;background:rgba(13,15,28,.72);border-right:1px solid rgba(255,255,255,.1)}
nav header{padding:14px;font-weight:bold;font-size:20px}
nav header small{display:block;font-weight:normal;font-size:13px;color:rgba(245,245,250,.66)}
button{font:inherit;color:inherit;background:none;border:0;text-align:left;padding:12px 14px;border-radius:10px;margin:0 14px}
button.s:first-of-type{background:rgba(139,108,255,.22)}
nav h2{font-size:12px;letter-spacing:1px;color:rgba(245,245,250,.42);margin:14px 14px 4px;border-top:1px solid rgba(255,255,255,.1);padding-top:10px}
nav ul{list-style:none;margin:0;padding:0 14px;overflow-y:auto;flex:1}
nav li{height:44px;line-height:44px;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
.i{margin-right:10px;opacity:.7}
main{flex:1;display:flex;flex-direction:column;min-width:0}
main header{height:60px;padding:0 12px;border-bottom:1px solid rgba(255,255,255,.1);display:flex;align-items:center;gap:10px}
main header h1{font-size:19px;margin:0;flex:1}
main header h1 small{display:block;font-size:12px;font-weight:normal;color:rgba(245,245,250,.66)}
#m{flex:1;overflow-y:auto;padding:12px 70px}
.b{max-width:600px;padding:10px 14px;border-radius:18px;margin:12px 0;font-size:17px;overflow-wrap:anywhere}
.u{margin-left:auto;background:rgba(0,122,255,.45);width:fit-content}
.a{background:rgba(255,255,255,.09)}
a{color:#7cc4ff}
.a p{margin:.4em 0} code{font-family:'DejaVu Sans Mono',monospace}
footer{display:flex;gap:10px;padding:10px 70px;align-items:center}
footer input{flex:1;font:inherit;color:inherit;background:none;border:0;border-bottom:1px solid rgba(255,255,255,.3);padding:8px}
</style></head><body>
<nav><header>Vexa AI<small>Vexa Pro</small></header>
<button>Найти раздел</button>
%1<h2>ДИАЛОГИ</h2><ul>%2</ul>
<button>Алина</button><button>Тарифы</button></nav>
<main><header><h1>%3<small>Общий аккаунт и лимиты с Telegram</small></h1>
<button>Vexa Fast</button><button>Разговор</button><button>Новый чат</button></header>
<div id=m>%4</div>
<footer><button>+</button><input placeholder='Напишите сообщение…'><button>Отправить</button></footer></main>
<script>var m=document.getElementById('m');m.scrollTop=m.scrollHeight;</script>
</body></html>
)")
                             .arg(sectionItems, chats, escaped(state.chats.constFirst().title), messages);
    return html.toUtf8();
}

// A folder holding the page and Chromium's fresh profile, gone with the object.
class PeerHome
{
public:
    explicit PeerHome(const vexa::service::ServiceState &state)
    {
        QFile file(pagePath());
        if (file.open(QIODevice::WriteOnly))
            file.write(page(state));
    }
    QString pagePath() const { return m_dir.filePath(QStringLiteral("chat.html")); }
    QString profile(int run) const { return m_dir.filePath(QStringLiteral("profile-%1").arg(run)); }
    QString shot(int run) const { return m_dir.filePath(QStringLiteral("shot-%1.png").arg(run)); }

    QStringList arguments(const QString &profileDir) const
    {
        QStringList args{QStringLiteral("--headless=new"), QStringLiteral("--disable-gpu"),
                         QStringLiteral("--no-first-run"), QStringLiteral("--no-default-browser-check"),
                         QStringLiteral("--window-size=1180,780"), QStringLiteral("--hide-scrollbars"),
                         QStringLiteral("--user-data-dir=") + profileDir};
        // Chromium refuses to start as root without this; the page is our own file.
        if (geteuid() == 0)
            args << QStringLiteral("--no-sandbox");
        return args;
    }

private:
    QTemporaryDir m_dir;
};

// Milliseconds from Chromium's start to its first captured frame of the page (the screenshot
// it writes once the page has been drawn), or -1.
inline double timeToFirstCapture(const PeerHome &home, int run, int timeoutMs = 60000)
{
    const QString shot = home.shot(run);
    QProcess chromium;
    QStringList args = home.arguments(home.profile(run));
    args << QStringLiteral("--screenshot=") + shot << QUrl::fromLocalFile(home.pagePath()).toString();
    chromium.setStandardOutputFile(QProcess::nullDevice());
    chromium.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    chromium.start(chromiumBinary(), args);
    const bool captured = spinUntil([&] { return QFileInfo(shot).size() > 0; }, timeoutMs);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    chromium.kill();
    chromium.waitForFinished(10000);
    // BENCH_WEB_SHOT=FILE keeps the captured frame, to check the page is a fair peer.
    if (captured && !qEnvironmentVariableIsEmpty("BENCH_WEB_SHOT")) {
        QFile::remove(qEnvironmentVariable("BENCH_WEB_SHOT"));
        QFile::copy(shot, qEnvironmentVariable("BENCH_WEB_SHOT"));
    }
    return captured ? ms : -1;
}

// Proportional set size of a process, in MiB (its shared pages divided among their users).
inline double proportionalMiB(qint64 pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : rollup.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').constFirst().toDouble() / 1024.0;
    return -1;
}

// The process and all its descendants (Chromium's browser, renderer, GPU and utility processes).
inline QList<qint64> processTree(qint64 root)
{
    QMultiHash<qint64, qint64> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype close = text.lastIndexOf(')'); // the name may hold spaces and parentheses
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() > 1)
            children.insert(fields.at(1).toLongLong(), pid);
    }
    QList<qint64> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children.values(tree.at(i));
    return tree;
}

// Chromium's proportional set size, all its processes summed, once idle with the page shown.
inline double idleProportionalMiB(const PeerHome &home, int idleMs)
{
    QProcess chromium;
    QStringList args = home.arguments(home.profile(1000));
    args << QStringLiteral("--remote-debugging-port=0") << QUrl::fromLocalFile(home.pagePath()).toString();
    chromium.setStandardOutputFile(QProcess::nullDevice());
    chromium.setStandardErrorFile(QProcess::nullDevice());
    chromium.start(chromiumBinary(), args);
    if (!chromium.waitForStarted(10000))
        return -1;
    // Settled: the process count has stopped growing and the page has been idle for a while.
    spinUntil([] { return false; }, idleMs + 2000);
    double total = 0;
    for (qint64 pid : processTree(chromium.processId())) {
        const double pss = proportionalMiB(pid);
        if (pss > 0)
            total += pss;
    }
    chromium.kill();
    chromium.waitForFinished(10000);
    return total > 0 ? total : -1;
}

} // namespace bench::web
