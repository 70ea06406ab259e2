#include "core/model/finish.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

IMPLEMENT_SERIAL(Finish, 1, 1)

std::string Finish::GetSource() const {
    std::string body;
    if (ambient != 10)
        body += "    ambient " + PercentText(ambient) + "\r\n";
    if (diffuse != 60)
        body += "    diffuse " + PercentText(diffuse) + "\r\n";
    if (brilliance != 1.0f)
        body += "    brilliance " + FloatToText(brilliance) + "\r\n";
    if (specular != 0) {
        body += "    specular " + PercentText(specular);
        if (roughness != 5)
            body += "    roughness " + PercentText(roughness);
        if (metallic)
            body += "    metallic";
        body += "\r\n";
    }
    if (phong != 0) {
        body += "    phong " + PercentText(phong);
        if (phongSize != 40)
            body += "    phong_size " + std::to_string(phongSize);
        if (metallic)
            body += "    metallic";
        body += "\r\n";
    }
    if (reflection != 0)
        body += "    reflection " + PercentText(reflection) + "\r\n";
    if (refraction) {
        body += "    refraction 1.0";
        if (ior != 1.0f)
            body += "    ior " + FloatToText(ior);
        body += "\r\n";
    }
    if (crand != 0.0f)
        body += "    crand " + FloatToText(crand) + "\r\n";
    if (body.empty())
        return {};
    return "  finish {\r\n" + body + "  }\r\n";
}

void Finish::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.WordInt(ambient);
    ar.WordInt(diffuse);
    ar.Float(brilliance);
    ar.Byte(metallic);
    ar.Float(crand);
    ar.WordInt(reflection);
    ar.Byte(refraction);
    ar.Float(ior);
    ar.WordInt(phong);
    ar.WordInt(phongSize);
    ar.WordInt(specular);
    ar.WordInt(roughness);
}
