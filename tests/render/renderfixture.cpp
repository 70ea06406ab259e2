#include "renderfixture.h"

#include "core/bitmap/bitmap.h"

#include <QFile>
#include <cstring>

QString RenderTest::FakePovRay(const QString& body) {
    const QString path = Path(QStringLiteral("fake-povray.sh"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

bool HasDetail(const Bitmap& dib) {
    const auto bits = dib.Bits();
    const std::size_t stride = Bitmap::Stride(dib.Width());
    for (int row = 0; row < dib.Height(); ++row)
        for (int column = 0; column < dib.Width(); ++column)
            if (std::memcmp(bits.data() + row * stride + column * 3, bits.data(), 3) != 0)
                return true;
    return false;
}
