#include "tools/packgen/PackWriter.h"

#include "tools/packgen/AudioFile.h"
#include "tools/packgen/SoundMeasure.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace plinkum {

namespace {
void append(QJsonObject &object, const QString &member, const QString &file)
{
    QJsonArray files = object.value(member).toArray();
    files.append(file);
    object.insert(member, files);
}
} // namespace

PackWriter::PackWriter(QString name, QString type, int order)
    : m_name(std::move(name)), m_type(std::move(type)), m_order(order)
{
}

QString PackWriter::addSound(const QString &stem, std::vector<float> frames, int sampleRate)
{
    const QString file = stem + QStringLiteral(".flac");
    m_sounds[file] = Sound{std::move(frames), sampleRate};
    return file;
}

void PackWriter::addDown(const QString &category, const QString &file) { append(m_down, category, file); }
void PackWriter::addUp(const QString &category, const QString &file) { append(m_up, category, file); }
void PackWriter::addKey(std::uint16_t keyCode, const QString &file) { append(m_keys, QString::number(keyCode), file); }
void PackWriter::addKeyUp(std::uint16_t keyCode, const QString &file)
{
    append(m_keysUp, QString::number(keyCode), file);
}
void PackWriter::addButton(PointerButton button, const QString &file)
{
    append(m_mouse, QString::fromLatin1(rawValue(button)), file);
}
void PackWriter::addButtonUp(PointerButton button, const QString &file)
{
    append(m_mouseUp, QString::fromLatin1(rawValue(button)), file);
}
void PackWriter::addText(const QString &fileName, QByteArray content) { m_texts[fileName] = std::move(content); }
void PackWriter::describe(const QString &member, const QString &value) { m_description.insert(member, value); }

void PackWriter::scale(double decibels)
{
    const auto gain = static_cast<float>(std::pow(10.0, decibels / 20.0));
    for (auto &[file, sound] : m_sounds) {
        for (float &x : sound.frames)
            x *= gain;
    }
}

float PackWriter::peak() const
{
    float peak = 0;
    for (const auto &[file, sound] : m_sounds)
        peak = std::max(peak, SoundMeasure::peak(sound.frames));
    return peak;
}

bool PackWriter::write(const QString &folder, QString *error) const
{
    QDir dir(folder);
    if ((dir.exists() && !dir.removeRecursively()) || !QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    for (const auto &[file, sound] : m_sounds) {
        if (!AudioFile::writeFlac(dir.filePath(file), sound.frames, sound.sampleRate)) {
            *error = QStringLiteral("cannot write %1").arg(dir.filePath(file));
            return false;
        }
    }
    QJsonObject manifest{{QStringLiteral("name"), m_name},
                         {QStringLiteral("type"), m_type},
                         {QStringLiteral("order"), m_order}};
    // A mouse-only pack has no key sounds to list.
    if (!m_down.isEmpty() || m_mouse.isEmpty())
        manifest.insert(QStringLiteral("down"), m_down);
    for (auto it = m_description.begin(); it != m_description.end(); ++it)
        manifest.insert(it.key(), it.value());
    if (!m_up.isEmpty())
        manifest.insert(QStringLiteral("up"), m_up);
    if (!m_keys.isEmpty())
        manifest.insert(QStringLiteral("keys"), m_keys);
    if (!m_keysUp.isEmpty())
        manifest.insert(QStringLiteral("keysUp"), m_keysUp);
    if (!m_mouse.isEmpty())
        manifest.insert(QStringLiteral("mouse"), m_mouse);
    if (!m_mouseUp.isEmpty())
        manifest.insert(QStringLiteral("mouseUp"), m_mouseUp);
    auto texts = m_texts;
    texts[QStringLiteral("pack.json")] = QJsonDocument(manifest).toJson(QJsonDocument::Indented);
    for (const auto &[name, content] : texts) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
            *error = QStringLiteral("cannot write %1").arg(file.fileName());
            return false;
        }
    }
    return true;
}

} // namespace plinkum
