import QtQuick
import QtQuick.Shapes

// A round patch of colour fading to nothing at its rim.
Shape {
    id: shape

    property color color
    property real diameter: 400

    width: diameter
    height: diameter

    ShapePath {
        strokeWidth: -1
        fillGradient: RadialGradient {
            centerX: shape.diameter / 2
            centerY: shape.diameter / 2
            centerRadius: shape.diameter / 2
            focalX: centerX
            focalY: centerY
            GradientStop { position: 0; color: shape.color }
            GradientStop { position: 0.45; color: Qt.rgba(shape.color.r, shape.color.g, shape.color.b, shape.color.a * 0.45) }
            GradientStop { position: 1; color: "transparent" }
        }
        PathAngleArc {
            centerX: shape.diameter / 2
            centerY: shape.diameter / 2
            radiusX: shape.diameter / 2
            radiusY: shape.diameter / 2
            startAngle: 0
            sweepAngle: 360
        }
    }
}
