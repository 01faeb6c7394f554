#pragma once

#include "widgets/ButtonBase.h"
#include "widgets/Edge.h"
#include "widgets/Text.h"

#include <vector>

// A push button with a centred caption, up to three face colours (normal, pushed, hover) and
// a bevel. Without the "Edge" option and without face colours it shows only its caption until
// the pointer is over it.
class Button : public ButtonBase {
public:
    ItemDescription Describe() const override;
    explicit Button(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;

    Text& Caption() { return m_caption; }
    bool SetFaceColors(const QString& list);
    const std::vector<quint32>& FaceColors() const { return m_face_colors; }
    bool SetBevelOption(bool bevel);
    bool HasBevelOption() const { return m_bevel_option; }

private:
    // The face colour of a state, or none (0) when the state has no face.
    quint32 FaceColorOf(State state) const;
    void DrawFace(QPainter& painter, const QRectF& bounds, quint32 color);

    Text m_caption;
    Edge m_bevel;
    quint32 m_text_color { 0xff000000 };
    std::vector<quint32> m_face_colors;
    QString m_face_color_text;
    bool m_bevel_option { false };
};
