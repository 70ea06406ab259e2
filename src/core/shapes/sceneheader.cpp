#include "core/shapes/sceneheader.h"

std::string InSceneGamma(std::string scene, SceneGamma gamma) {
    if (gamma == SceneGamma::Older || scene.find("#version") != std::string::npos ||
        scene.find("assumed_gamma") != std::string::npos)
        return scene;
    return std::string(kPov37SceneHeader) + scene;
}
