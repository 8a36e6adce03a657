import QtQuick
import QtTest
import VexaAI.Style
import VexaAI.Shell

// Every component of the shell and the style module comes up without a warning; an unknown
// symbol name warns, so it fails here too.
TestCase {
    id: testCase
    name: "ShellComponents"
    when: windowShown
    width: 1000
    height: 700
    visible: true // render what is created, so layout and drawing warnings show up too

    RootViewModel { id: rootModel; width: 1000 }
    LoginViewModel { id: loginModel }

    Component { id: cVexaIcon; VexaIcon {} }
    Component { id: cGlassCard; GlassCard {} }
    Component { id: cProminentButton; ProminentButton {} }
    Component { id: cBackdropPicture; BackdropPicture {} }
    Component { id: cVexaBackground; VexaBackground {} }
    Component { id: cWaitingView; WaitingView {} }
    Component { id: cLoginView; LoginView {} }
    Component { id: cSidebarHeader; SidebarHeader {} }
    Component { id: cSidebarButton; SidebarButton {} }
    Component { id: cDockButton; DockButton {} }
    Component { id: cRootView; RootView {} }
    Component { id: cSectionPage; SectionPage {} }
    Component { id: cLoginCard; LoginCard {} }
    Component { id: cSidebar; Sidebar {} }
    Component { id: cSidebarFooter; SidebarFooter {} }
    Component { id: cDock; Dock {} }
    Component { id: cSectionsLayout; SectionsLayout {} }
    Component { id: cSectionsSheet; SectionsSheet {} }
    Component { id: cNoticeAlert; NoticeAlert {} }
    Component { id: cAboutDialog; AboutDialog {} }

    function init() {
        failOnWarning(/.?/)
    }

    function test_create_data() {
        return [
            { tag: "VexaIcon", component: cVexaIcon, props: { symbol: "sparkle" } },
            { tag: "GlassCard", component: cGlassCard, props: {} },
            { tag: "ProminentButton", component: cProminentButton, props: { text: "Войти", symbol: "paperplane.fill", busy: true } },
            { tag: "BackdropPicture", component: cBackdropPicture, props: { topColor: "red", width: 120, height: 80, phase: 0.5 } },
            { tag: "VexaBackground", component: cVexaBackground, props: {} },
        ]
    }

    function test_create(data) {
        var object = createTemporaryObject(data.component, testCase, data.props)
        verify(object !== null)
        wait(50 * timeoutScale) // polish and the first frame, where layout warnings appear
    }

    function test_shell_data() {
        return [
            { tag: "WaitingView", component: cWaitingView }, { tag: "LoginView", component: cLoginView },
            { tag: "SidebarHeader", component: cSidebarHeader }, { tag: "SidebarButton", component: cSidebarButton }, { tag: "DockButton", component: cDockButton },
            { tag: "RootView", component: cRootView },
            { tag: "SectionPage", component: cSectionPage, props: { document: "qrc:/qt/qml/VexaAI/Code/CodeWorkspaceView.qml", selection: 1 } },
            { tag: "LoginCard", component: cLoginCard, props: { model: loginModel } },
            { tag: "Sidebar", component: cSidebar, props: { model: rootModel } },
            { tag: "SidebarFooter", component: cSidebarFooter, props: { model: rootModel } },
            { tag: "Dock", component: cDock, props: { model: rootModel } },
            { tag: "SectionsLayout", component: cSectionsLayout, props: { model: rootModel } },
            { tag: "SectionsSheet", component: cSectionsSheet, props: { model: rootModel } },
            { tag: "NoticeAlert", component: cNoticeAlert, props: { model: rootModel } },
            { tag: "AboutDialog", component: cAboutDialog, props: { visible: true } },
        ]
    }

    function test_shell(data) {
        var object = createTemporaryObject(data.component, testCase, data.props || {})
        verify(object !== null)
        wait(50 * timeoutScale) // polish and the first frame, where layout warnings appear
    }
}
