#include "core/shapes/builtinshapes.h"

#include "core/archive/archive.h"
#include "core/archive/objectarray.h"
#include "core/shapes/customshape.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace {

// Every scene is laid out like the default sphere: the include of the texture's file, the
// camera, the object blocks and the lights, separated by empty lines, with CR LF line ends
// and none after the last line.

constexpr std::string_view kHeader = "// The following include file is REQUIRED\r\n"
                                     "#include \"temptx$$.!!!\"";

constexpr std::string_view kCamera = "camera {\r\n"
                                     "    location  <0,  0, -10.5>\r\n"
                                     "    look_at   <0,  0,   0>\r\n"
                                     "    up        <0,  1,   0>\r\n"
                                     "    right     <1,  0,   0>\r\n"
                                     "    rotate    <30, -30, 0>\r\n"
                                     "}";

/// Looks straight along z, for the plane facing the camera.
constexpr std::string_view kFrontCamera = "camera {\r\n"
                                          "    location  <0,  0, -10.5>\r\n"
                                          "    look_at   <0,  0,   1>\r\n"
                                          "    up        <0,  1,   0>\r\n"
                                          "    right     <1,  0,   0>\r\n"
                                          "}";

/// Stands above the ground inside the sky sphere, looking slightly upwards.
constexpr std::string_view kSkyCamera = "camera {\r\n"
                                        "    location  <0, 80,  0>\r\n"
                                        "    look_at   <0, 82, 10>\r\n"
                                        "    up        <0,  1,  0>\r\n"
                                        "    right     <1,  0,  0>\r\n"
                                        "}";

/// Looks down a little on the object standing in the room.
constexpr std::string_view kRoomCamera = "camera {\r\n"
                                         "    location  <0,  0, -10.5>\r\n"
                                         "    look_at   <0,  0,   0>\r\n"
                                         "    up        <0,  1,   0>\r\n"
                                         "    right     <1,  0,   0>\r\n"
                                         "    rotate    <20, 0, 0>\r\n"
                                         "}";

/// The unit sphere seen as the radius 4 one: the camera a quarter as far away.
constexpr std::string_view kUnitCamera = "camera {\r\n"
                                         "    location  <0,  0, -2.625>\r\n"
                                         "    look_at   <0,  0,   0>\r\n"
                                         "    up        <0,  1,   0>\r\n"
                                         "    right     <1,  0,   0>\r\n"
                                         "    rotate    <30, -30, 0>\r\n"
                                         "}";

constexpr std::string_view kUnitSphere = "sphere { <0, 0, 0>, 1\r\n"
                                         "  texture {%%TEXTURE_NAME%%}\r\n"
                                         "}";

constexpr std::string_view kSphere = "sphere { <0, 0, 0>, 4\r\n"
                                     "  texture {%%TEXTURE_NAME%%}\r\n"
                                     "}";

constexpr std::string_view kBox = "box { <-2.5, -2.5, -2.5>, <2.5, 2.5, 2.5>\r\n"
                                  "  texture {%%TEXTURE_NAME%%}\r\n"
                                  "}";

constexpr std::string_view kCylinder = "cylinder { <0, -4, 0>, <0, 4, 0>, 2.25\r\n"
                                       "  texture {%%TEXTURE_NAME%%}\r\n"
                                       "}";

constexpr std::string_view kCone = "cone { <0, -3.5, 0>, 3, <0, 4.25, 0>, 0\r\n"
                                   "  texture {%%TEXTURE_NAME%%}\r\n"
                                   "}";

constexpr std::string_view kPlaneY = "plane { y, -1\r\n"
                                     "  texture {%%TEXTURE_NAME%%}\r\n"
                                     "}";

constexpr std::string_view kPlaneZ = "plane { z, -1\r\n"
                                     "  texture {%%TEXTURE_NAME%%}\r\n"
                                     "}";

constexpr std::string_view kTorus = "torus { 3, 1.25\r\n"
                                    "  texture {%%TEXTURE_NAME%%}\r\n"
                                    "}";

constexpr std::string_view kSkySphere = "sphere { <0, 0, 0>, 3500\r\n"
                                        "  texture {%%TEXTURE_NAME%%}\r\n"
                                        "}";

constexpr std::string_view kGround = "plane { y, 0\r\n"
                                     "  texture {\r\n"
                                     "    pigment { colour rgb<0,1.0,0> }\r\n"
                                     "    finish { crand 0.1 ambient 0.5 diffuse 0.8 }\r\n"
                                     "  }\r\n"
                                     "}";

/// The texture goes over a white base, so the parts it leaves clear show white.
constexpr std::string_view kWhiteSphere = "sphere { <0, 0, 0>, 4\r\n"
                                          "  texture { pigment { colour rgb<1.0,1.0,1.0> } }\r\n"
                                          "  texture {%%TEXTURE_NAME%%}\r\n"
                                          "}";

// Blob components in the sphere form POV-Ray 3.5 and later prefer to the older
// "component strength, radius, <centre>".
constexpr std::string_view kBlob = "blob {\r\n"
                                   "  threshold 0.6\r\n"
                                   "  sphere { <0, 0, 0>, 4, strength 1.0 }\r\n"
                                   "  sphere { <2.25, 2, -1.75>, 3, strength 0.75 }\r\n"
                                   "  sphere { <-0.2, 2.25, 0.25>, 3, strength 0.75 }\r\n"
                                   "  sphere { <-2.25, 0, -1.75>, 2.5, strength 0.75 }\r\n"
                                   "  sphere { <-2.15, 2, 1>, 2.5, strength 0.75 }\r\n"
                                   "  texture {%%TEXTURE_NAME%%}\r\n"
                                   "}";

constexpr std::string_view kRoomFloor =
    "plane { y, -4\r\n"
    "  texture {\r\n"
    "    tiles {\r\n"
    "      texture { pigment { colour rgb<1.0,0,0> } finish { diffuse 0.8 } }\r\n"
    "      tile2\r\n"
    "      texture { pigment { colour rgb<0,0,1.0> } finish { diffuse 0.8 } }\r\n"
    "    }\r\n"
    "    scale <2,2,2>\r\n"
    "  }\r\n"
    "}";

constexpr std::string_view kRoomWall =
    "plane { z, 7\r\n"
    "  texture {\r\n"
    "    tiles {\r\n"
    "      texture { pigment { colour rgb<1.0,1.0,1.0> } finish { diffuse 0.8 } }\r\n"
    "      tile2\r\n"
    "      texture { pigment { colour rgb<0,1.0,0.0> } finish { diffuse 0.8 } }\r\n"
    "    }\r\n"
    "    scale <2,2,2>\r\n"
    "  }\r\n"
    "}";

constexpr std::string_view kLight = "<-12, 27, -25>";

std::string Light(std::string_view position) {
    return "light_source {" + std::string(position) + " colour rgb<1.0,1.0,1.0>}";
}

/// Joins the parts of a scene: object blocks apart by an empty line, lights on lines of their own.
std::string Scene(std::string_view camera, std::initializer_list<std::string_view> objects,
                  std::initializer_list<std::string_view> lights) {
    std::string source(kHeader);
    source += "\r\n\r\n";
    source += camera;
    for (std::string_view object : objects) {
        source += "\r\n\r\n";
        source += object;
    }
    source += "\r\n";
    for (std::string_view position : lights) {
        source += "\r\n";
        source += Light(position);
    }
    return source;
}

std::string RoomScene(std::string_view object) {
    return Scene(kRoomCamera, {object, kRoomFloor, kRoomWall}, {"<-5, 8, -10>"});
}

std::unique_ptr<PreviewShape> Shape(std::string name, std::string description, std::string source) {
    auto shape = std::make_unique<CustomShape>();
    shape->SetName(std::move(name));
    shape->SetDescription(std::move(description));
    shape->SetSource(std::move(source));
    return shape;
}

constexpr std::size_t kUserShapeCount = 20;
constexpr std::size_t kFirstUserShape = kBuiltinShapeCount - kUserShapeCount;

std::string UserShapeName(std::size_t index) {
    return "USER" + std::to_string(index - kFirstUserShape + 1);
}

constexpr char kFirstSphereDescription[] = "Clear sphere with one light source";
constexpr char kSphereDescription[] =
    "Clear sphere of radius 4 with one light source: patterns look four times finer than on a "
    "sphere of radius 1";

/// The shapes every program has written as its first shape file.
ShapeList FirstShapes() {
    ShapeList shapes;
    shapes.reserve(kProgramShapeCount);
    shapes.push_back(Shape("Sphere", kFirstSphereDescription, Scene(kCamera, {kSphere}, {kLight})));
    shapes.push_back(
        Shape("Box", "Clear box with one light source", Scene(kCamera, {kBox}, {kLight})));
    shapes.push_back(Shape("Cylinder", "Clear cylinder with one light source",
                           Scene(kCamera, {kCylinder}, {"<0, 15, -25>"})));
    shapes.push_back(
        Shape("Cone", "Clear cone with one light source", Scene(kCamera, {kCone}, {kLight})));
    shapes.push_back(Shape("Plane(Y)", "Clear plane on the y-axis with one light source",
                           Scene(kCamera, {kPlaneY}, {"<-5, 27, -10>"})));
    shapes.push_back(Shape("Plane(Z)", "Clear plane on the z-axis with one light source",
                           Scene(kFrontCamera, {kPlaneZ}, {kLight})));
    shapes.push_back(
        Shape("Torus", "Clear torus with one light source", Scene(kCamera, {kTorus}, {kLight})));
    shapes.push_back(Shape("Sky", "Sky scene with a sphere radius of 3500",
                           Scene(kSkyCamera, {kSkySphere, kGround}, {"<0, 160, 0>", kLight})));
    shapes.push_back(Shape("White Sphere", "White sphere with one light source",
                           Scene(kCamera, {kWhiteSphere}, {kLight})));
    shapes.push_back(Shape("Sphere Room",
                           "Clear sphere in a room with a checker floor and a checker back wall.",
                           RoomScene(kSphere)));
    shapes.push_back(Shape("Torus Room",
                           "Clear torus in a room with a checker floor and a checker back wall.",
                           RoomScene(kTorus)));
    shapes.push_back(Shape("Cylinder Room",
                           "Clear cylinder in a room with a checker floor and a checker back wall.",
                           RoomScene(kCylinder)));
    shapes.push_back(Shape("Blob Room",
                           "Clear blob in a room with a checker floor and a checker back wall.",
                           RoomScene(kBlob)));
    // Free places for the user's own scenes, each starting as the default sphere.
    for (std::size_t index = kFirstUserShape; index < kBuiltinShapeCount; ++index) {
        auto user = std::make_unique<CustomShape>();
        user->SetName(UserShapeName(index));
        shapes.push_back(std::move(user));
    }
    return shapes;
}

/// The shapes added after the first shape file, each at its own index.
ShapeList AddedShapes() {
    ShapeList shapes;
    shapes.push_back(Shape("Unit Sphere",
                           "Clear sphere of radius 1 with one light source: patterns as large as "
                           "on a unit sphere in your scene",
                           Scene(kUnitCamera, {kUnitSphere}, {kLight})));
    return shapes;
}

} // namespace

ShapeList BuiltinShapes() {
    ShapeList shapes = FirstShapes();
    BringShapesUpToDate(shapes);
    return shapes;
}

void BringShapesUpToDate(ShapeList& shapes) {
    // The first sphere, as every program wrote it, says now what its size does to patterns.
    const CustomShape first;
    if (auto* sphere = shapes.empty() ? nullptr : dynamic_cast<CustomShape*>(shapes[0].get());
        sphere && sphere->GetName() == first.GetName() &&
        sphere->GetDescription() == kFirstSphereDescription &&
        sphere->GetSource() == first.GetSource())
        sphere->SetDescription(kSphereDescription);
    // A list of another length is someone's own: its places keep what they hold.
    if (shapes.size() != kBuiltinShapeCount)
        return;
    for (std::unique_ptr<PreviewShape>& added : AddedShapes())
        shapes.push_back(std::move(added));
}

bool IsFreeShapeSlot(const PreviewShape& shape, std::size_t index) {
    if (index < kFirstUserShape || index >= kBuiltinShapeCount)
        return false;
    const auto* custom = dynamic_cast<const CustomShape*>(&shape);
    const CustomShape untouched;
    return custom && custom->GetName() == UserShapeName(index) &&
           custom->GetDescription() == untouched.GetDescription() &&
           custom->GetSource() == untouched.GetSource();
}

std::vector<std::uint8_t> BuiltinShapeFile() {
    Archive ar;
    WriteObjectArray(ar, FirstShapes());
    return ar.TakeBytes();
}
