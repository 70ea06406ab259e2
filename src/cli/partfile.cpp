#include "cli/partfile.h"

#include "cli/commandline.h"
#include "core/catalog/documentmessages.h"
#include "render/files/catalogfile.h"

#include <QList>
#include <algorithm>
#include <climits>

namespace {

constexpr char kFirstLine[] = "\nvelvane-part 1\n";
/// Catalogs are read a block at a time; the limit only refuses a file no part could grow to.
constexpr qint64 kPartReadLimit = qint64{16} << 30;

/// Passes a file's bytes on to a catalog reader and keeps the last ones, where the part's lines
/// are, so the file is read once.
class TailKeeper : public ArchiveSource {
public:
    TailKeeper(ReadableFile& file, std::size_t keep)
        : m_file(file), m_keepFrom(file.Size() > keep ? file.Size() - keep : 0) {}

    std::size_t Size() const override { return m_file.Size(); }
    std::size_t Read(std::uint8_t* data, std::size_t size) override {
        const std::size_t read = m_file.Read(data, size);
        if (m_offset + read > m_keepFrom) {
            const std::size_t skip = m_offset < m_keepFrom ? m_keepFrom - m_offset : 0;
            m_tail.append(reinterpret_cast<const char*>(data + skip),
                          static_cast<qsizetype>(read - skip));
        }
        m_offset += read;
        return read;
    }
    /// Reads what the catalog reader left.
    void ReadToTheEnd() {
        std::uint8_t block[65536];
        while (Read(block, sizeof block) > 0) {
        }
    }
    /// The last `size` bytes of the file, or nothing when fewer were kept.
    QByteArray Last(std::size_t size) const {
        if (size > static_cast<std::size_t>(m_tail.size()))
            return {};
        return m_tail.right(static_cast<qsizetype>(size));
    }

private:
    ReadableFile& m_file;
    std::size_t m_keepFrom;
    std::size_t m_offset = 0;
    QByteArray m_tail;
};

/// The words after `key ` on `line`; false when the line is not about `key`.
bool ValueOf(const QByteArray& line, const QByteArray& key, QByteArray& value) {
    if (line != key && !line.startsWith(key + ' '))
        return false;
    value = line.mid(key.size() + 1);
    return true;
}

} // namespace

bool PartFile::Read(const QString& path, QString& error) {
    const QString failed = QString::fromUtf8(DocumentMessages::FailedToOpen);
    FileResult result;
    const auto file = ReadableFile::Open(path, kPartReadLimit, result, failed);
    if (!file) {
        error = result.message;
        return false;
    }
    TailKeeper source(*file, static_cast<std::size_t>(kMaxTrailer));
    std::size_t unread = 0;
    const auto fault = textures.Load(source, &unread);
    source.ReadToTheEnd();
    if (file->Failed()) {
        error = file->FailureMessage();
        return false;
    }
    if (fault) {
        error = QStringLiteral("%1 is not a part file: %2.").arg(path, ArchiveErrorReason(*fault));
        return false;
    }
    if (!ParseTrailer(source.Last(unread))) {
        error = QStringLiteral("%1 is not a part file: it holds no list of the places of its "
                               "textures (velvane-cli render --out writes one).")
                    .arg(path);
        return false;
    }
    return true;
}

FileResult PartFile::Write(const QString& path) const {
    const QByteArray trailer = Trailer();
    return WriteFileAtomically(
        path,
        [&](ArchiveSink& sink) {
            textures.Save(sink);
            sink.Write(reinterpret_cast<const std::uint8_t*>(trailer.constData()),
                       static_cast<std::size_t>(trailer.size()));
        },
        QString::fromUtf8(DocumentMessages::FailedToSave));
}

QString PartFile::ThumbnailsText() const {
    if (composite && layers)
        return QStringLiteral("both");
    return composite ? QStringLiteral("composite") : QStringLiteral("layers");
}

QByteArray PartFile::Trailer() const {
    QByteArray text = kFirstLine;
    text += "shard " + QByteArray::number(shard.Number()) + '/' +
            QByteArray::number(shard.Count()) + '\n';
    text += "thumbnails " + ThumbnailsText().toLatin1() + '\n';
    text += "places";
    for (int place : places)
        text += ' ' + QByteArray::number(place);
    return text + '\n';
}

bool PartFile::ParseTrailer(const QByteArray& trailer) {
    if (!trailer.startsWith(kFirstLine) || !trailer.endsWith('\n'))
        return false;
    const QList<QByteArray> lines =
        trailer.mid(qsizetype(sizeof kFirstLine) - 1).chopped(1).split('\n');
    QByteArray shardText;
    QByteArray thumbnails;
    QByteArray placesText;
    if (lines.size() != 3 || !ValueOf(lines[0], "shard", shardText) ||
        !ValueOf(lines[1], "thumbnails", thumbnails) || !ValueOf(lines[2], "places", placesText))
        return false;
    try {
        shard = Shard::Parse(QStringLiteral("shard"), QString::fromLatin1(shardText));
    } catch (const UsageError&) {
        return false;
    }
    if (thumbnails != "composite" && thumbnails != "layers" && thumbnails != "both")
        return false;
    composite = thumbnails != "layers";
    layers = thumbnails != "composite";
    places.clear();
    for (const QByteArray& word : placesText.split(' ')) {
        if (placesText.isEmpty())
            break;
        bool ok = false;
        const long long place = word.toLongLong(&ok);
        if (!ok || place < 0 || place > INT_MAX || (!places.empty() && place <= places.back()) ||
            word.startsWith('+'))
            return false;
        places.push_back(static_cast<int>(place));
    }
    return static_cast<int>(places.size()) == textures.GetCount();
}
