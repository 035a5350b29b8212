#include "platform/alertsound.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {
AlertSound::Player &CurrentPlayer()
{
    static AlertSound::Player player;
    return player;
}
} // namespace

AlertSound::AlertSound(QObject *parent) : QObject(parent) {}

void AlertSound::SetPlayer(Player player) { CurrentPlayer() = std::move(player); }

bool AlertSound::Play(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile()) return false;
    const QString path = info.absoluteFilePath();
    if (CurrentPlayer()) return CurrentPlayer()(path);
    // Without an output device QSoundEffect still claims to play: ask first.
    if (QMediaDevices::audioOutputs().isEmpty()) return false;
    if (!effect_) effect_ = new QSoundEffect(this);
    effect_->stop();
    const QUrl source = QUrl::fromLocalFile(path);
    if (effect_->source() != source) effect_->setSource(source);
    // A sound not loaded yet starts once it is.
    effect_->play();
    return true;
}
