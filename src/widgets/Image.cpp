#include "widgets/Image.h"

#include "items/Canvas.h"
#include "platform/Paths.h"
#include "text/KeyValueStore.h"

Image::Image(Canvas& canvas)
    : PlacedItem(canvas)
{
}

bool Image::Load(const QString& path, const QRect& cut_out)
{
    QString full_path = NormalizeSeparators(path);
    if (!full_path.isEmpty() && IsRelativePath(full_path))
        full_path = GetCanvas().BaseFolder() + full_path;
    if (!m_picture.Load(full_path, cut_out))
        return false;
    ApplyNaturalSize(QSizeF(m_picture.NaturalSize()));
    return true;
}

bool Image::Draw(QPainter& painter, const QRectF& clip)
{
    return m_picture.Draw(painter, GetBounds(), clip);
}

bool Image::ReadSection(const KeyValueStore& store)
{
    const QString file_name_key = QStringLiteral("FileName");
    const QString option_key = QStringLiteral("Option");
    bool changed = false;
    if (store.Contains(file_name_key)) {
        const QRect cut_out(store.GetListInt(file_name_key, 1), store.GetListInt(file_name_key, 2),
            store.GetListInt(file_name_key, 3), store.GetListInt(file_name_key, 4));
        Load(store.GetListText(file_name_key, 0), cut_out);
        changed = true;
    }
    if (store.Contains(QStringLiteral("RotateRadian")))
        changed |= m_picture.SetRotationAngle(store.GetFloat(QStringLiteral("RotateRadian")));
    if (store.Contains(QStringLiteral("OriginalRotateRadian")))
        changed |= m_picture.SetUprightAngle(store.GetFloat(QStringLiteral("OriginalRotateRadian")));
    changed |= m_picture.SetRepeat(store.ListContains(option_key, QStringLiteral("Repeat")));
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool Image::IsOpaque() const
{
    return m_picture.IsOpaque();
}
