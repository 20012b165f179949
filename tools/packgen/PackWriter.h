#pragma once

#include "keys/PointerButton.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

namespace plinkum {

// Collects the sounds of one pack, matches its loudness and writes the folder: the sound files,
// pack.json and any extra text files (licences).
class PackWriter {
public:
    PackWriter(QString name, QString type, int order);

    // Adds a sound file; returns its file name inside the pack.
    QString addSound(const QString &stem, std::vector<float> frames, int sampleRate);
    void addDown(const QString &category, const QString &file);
    void addUp(const QString &category, const QString &file);
    void addKey(std::uint16_t keyCode, const QString &file);
    void addKeyUp(std::uint16_t keyCode, const QString &file);
    void addButton(PointerButton button, const QString &file);
    void addButtonUp(PointerButton button, const QString &file);
    void addText(const QString &fileName, QByteArray content);
    // A descriptive member of pack.json that the reader ignores, such as where the sounds came from.
    void describe(const QString &member, const QString &value);

    // Every sound by the same gain, so their balance stays as made.
    void scale(double decibels);
    float peak() const;

    // Replaces the folder's content. Returns false and leaves a message when a file fails.
    bool write(const QString &folder, QString *error) const;

private:
    struct Sound {
        std::vector<float> frames;
        int sampleRate = 0;
    };

    QString m_name;
    QString m_type;
    int m_order;
    std::map<QString, Sound> m_sounds;
    std::map<QString, QByteArray> m_texts;
    QJsonObject m_down, m_up, m_keys, m_keysUp, m_mouse, m_mouseUp, m_description;
};

} // namespace plinkum
