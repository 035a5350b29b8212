// A short wave file played as an alert, behind a seam: the program plays it
// through QSoundEffect when the computer has an audio output; tests install a
// player that records what would have been played.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QSoundEffect;

class AlertSound : public QObject {
    Q_OBJECT
public:
    explicit AlertSound(QObject *parent = nullptr);

    // Loads the wave file and plays it from its start. False when nothing is
    // played: no such file, or no audio output to play it on.
    bool Play(const QString &fileName);

    // A player gets the file's absolute name and returns whether it played;
    // an empty player restores the sound output.
    using Player = std::function<bool(const QString &fileName)>;
    static void SetPlayer(Player player);

private:
    QSoundEffect *effect_ = nullptr;
};
