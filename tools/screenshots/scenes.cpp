#include "scene.h"

namespace vexa::screenshots {

// The table of every screen's scenes. An area adds its scenes_<area>.cpp to
// tools/CMakeLists.txt and one line here.
QList<Scene> allScenes()
{
    QList<Scene> scenes;
    scenes += shellScenes();
    scenes += codeScenes();
    scenes += chatScenes();
    scenes += spellingScenes();
    scenes += answerScenes();
    scenes += communityScenes();
    scenes += voiceScenes();
    scenes += contentScenes();
    scenes += accountImagesScenes();
    scenes += accountScenes();
    return scenes;
}

} // namespace vexa::screenshots
