#pragma once

// A code panel's code, shown as one picture (see codepicture.h) in a single image node. A Text
// of styled code makes a node per coloured run and parses its markup again for every answer a
// scrolled bubble shows; an answer prepared ahead brings its picture already drawn, and only
// code whose picture was drawn in another style (a new text size, another theme) is drawn here.
// Code too large for one picture is not drawn (`drawn` false): its panel shows it as text.
//
//     CodeText { lines: block.codeLines; font.family: "DejaVu Sans Mono"; color: …; ground: … }

#include "answermodel.h"
#include "codepicture.h"

#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace vexa::answer {

class CodeText : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    // A CodeLines (the answer model's codeLines role); anything else shows nothing.
    Q_PROPERTY(QVariant lines READ lines WRITE setLines NOTIFY linesChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY styleChanged)
    // The colour of code in no role.
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY styleChanged)
    // The opaque colour the code is drawn on (the panel's).
    Q_PROPERTY(QColor ground READ ground WRITE setGround NOTIFY styleChanged)
    // Whether the code is drawn here; false when its picture would be too large.
    Q_PROPERTY(bool drawn READ drawn NOTIFY pictureChanged)
    // Whether the code is too large for one picture (its panel shows it as text). False until
    // the code is laid out.
    Q_PROPERTY(bool tooLarge READ tooLarge NOTIFY pictureChanged)

public:
    explicit CodeText(QQuickItem *parent = nullptr);

    QVariant lines() const { return QVariant::fromValue(m_lines); }
    void setLines(const QVariant &lines);
    QFont font() const { return m_style.font; }
    void setFont(const QFont &font);
    QColor color() const { return m_style.color; }
    void setColor(const QColor &color);
    QColor ground() const { return m_style.ground; }
    void setGround(const QColor &ground);
    bool drawn() const { return m_picture && m_picture->drawn; }
    bool tooLarge() const { return m_picture && !m_picture->drawn && !m_lines.code.isEmpty(); }
    // What is shown now (tests).
    std::shared_ptr<const CodePicture> picture() const { return m_picture; }

Q_SIGNALS:
    void linesChanged();
    void styleChanged();
    void pictureChanged();

protected:
    void updatePolish() override;
    QSGNode *updatePaintNode(QSGNode *node, UpdatePaintNodeData *) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;

private:
    // The style as it is now: the properties, the theme's role colours, the screen's ratio.
    CodeStyle currentStyle() const;
    void show(std::shared_ptr<const CodePicture> picture);

    CodeLines m_lines; // without its picture
    // The picture that came with the code, or the one drawn for it.
    std::shared_ptr<const CodePicture> m_ahead;
    CodeStyle m_style;
    std::shared_ptr<const CodePicture> m_picture;
    bool m_textureStale = true;
};

} // namespace vexa::answer
