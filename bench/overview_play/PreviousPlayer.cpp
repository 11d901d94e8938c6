#include "PreviousPlayer.h"

// Resolves to the previous copy taken from git (its include folder comes
// first), in the namespace previous_metafile.
#include "metafile/WmfPicture.h"

struct PreviousPicture::Held {
    metafile::WmfPicture picture;
};

PreviousPicture::PreviousPicture() : m_held(std::make_unique<Held>()) {}
PreviousPicture::~PreviousPicture() = default;

bool PreviousPicture::load(const QString& path)
{
    return m_held->picture.load(path);
}

void PreviousPicture::draw(QPainter& painter, const QRectF& target) const
{
    m_held->picture.draw(painter, target);
}
