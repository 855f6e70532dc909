#include "app/skin/generator/skin_renderer.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QSvgRenderer>

namespace {

// Collects what the SVG reader reports while one source is read and drawn: a source it complains
// about (an unknown reference, an unsupported element) is a fault of the source.
class CSvgComplaints {
public:
    CSvgComplaints()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&Handle);
    }
    ~CSvgComplaints()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    const QStringList& Messages() const { return m_messages; }

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (s_current && type != QtDebugMsg && type != QtInfoMsg
            && QByteArray(context.category ? context.category : "").startsWith("qt.svg"))
            s_current->m_messages << message;
        else if (s_current && s_current->m_previous)
            s_current->m_previous(type, context, message);
    }

    static inline CSvgComplaints* s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    QStringList m_messages;
};

std::optional<double> Number(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

CSkinRenderer::CSkinRenderer(
    const QString& sourceFolder, const CSkinStyleTable& styles, std::map<QString, QString> extraValues)
    : m_sourceFolder(sourceFolder)
    , m_styles(styles)
    , m_extraValues(std::move(extraValues))
{
}

std::optional<QString> CSkinRenderer::ValueOf(const QString& name, const SkinPictureEntry& entry) const
{
    if (name == QStringLiteral("w"))
        return QString::number(entry.size.width());
    if (name == QStringLiteral("h"))
        return QString::number(entry.size.height());
    if (name == QStringLiteral("fill") && !entry.fill.isEmpty()) {
        if (entry.fill.startsWith(QLatin1Char('#')))
            return entry.fill;
        return m_styles.Value(entry.state, entry.fill);
    }
    const auto extra = m_extraValues.find(name);
    if (extra != m_extraValues.end())
        return extra->second;
    return m_styles.Value(entry.state, name);
}

std::optional<QColor> CSkinRenderer::ColourOf(
    const QString& nameOrColour, const SkinPictureEntry& entry) const
{
    const std::optional<QString> text = nameOrColour.startsWith(QLatin1Char('#'))
        ? nameOrColour
        : m_styles.Value(entry.state, nameOrColour);
    if (!text)
        return std::nullopt;
    const QColor colour = QColor::fromString(*text);
    return colour.isValid() ? std::optional<QColor>(colour) : std::nullopt;
}

std::optional<QString> CSkinRenderer::Expand(
    const QString& text, const SkinPictureEntry& entry, QString* error) const
{
    static const QRegularExpression token(
        QStringLiteral("\\{\\{\\s*([a-z_][a-z0-9_]*)\\s*(?:([-+*/])\\s*([0-9]+(?:\\.[0-9]+)?))?\\s*\\}\\}"));
    QString result;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : token.globalMatch(text)) {
        result += text.mid(done, match.capturedStart() - done);
        done = match.capturedEnd();
        const std::optional<QString> value = ValueOf(match.captured(1), entry);
        if (!value) {
            *error = QStringLiteral("no value \"%1\" in state \"%2\"").arg(match.captured(1), entry.state);
            return std::nullopt;
        }
        if (match.captured(2).isEmpty()) {
            result += *value;
            continue;
        }
        const std::optional<double> left = Number(*value);
        const double right = match.captured(3).toDouble();
        if (!left || (match.captured(2) == QStringLiteral("/") && right == 0)) {
            *error = QStringLiteral("cannot compute %1").arg(match.captured(0));
            return std::nullopt;
        }
        const QChar op = match.captured(2).front();
        const double computed = op == u'+' ? *left + right
            : op == u'-'                   ? *left - right
            : op == u'*'                   ? *left * right
                                           : *left / right;
        result += QString::number(computed, 'g', 10);
    }
    result += text.mid(done);
    if (result.contains(QStringLiteral("{{"))) {
        *error = QStringLiteral("a {{...}} that names no value");
        return std::nullopt;
    }
    return result;
}

bool CSkinRenderer::DrawSource(
    const QString& path, const SkinPictureEntry& entry, QPainter& painter, bool glyph, QString* error) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: cannot read %2: %3").arg(entry.where, path, file.errorString());
        return false;
    }
    QString expandError;
    const std::optional<QString> text = Expand(QString::fromUtf8(file.readAll()), entry, &expandError);
    if (!text) {
        *error = QStringLiteral("%1: %2: %3").arg(entry.where, path, expandError);
        return false;
    }
    CSvgComplaints complaints;
    QSvgRenderer svg;
    if (!svg.load(text->toUtf8()) || !svg.isValid()) {
        *error = QStringLiteral("%1: %2 is not a readable SVG document").arg(entry.where, path);
        return false;
    }
    const QSizeF size(entry.size);
    QRectF target(QPointF(0, 0), size);
    if (glyph) {
        const QRectF box = svg.viewBoxF();
        if (box.isEmpty()) {
            *error = QStringLiteral("%1: %2 has no viewBox").arg(entry.where, path);
            return false;
        }
        const double height = size.height() * entry.scale;
        const double width = height * box.width() / box.height();
        const double dx
            = Number(ValueOf(QStringLiteral("glyph_dx"), entry).value_or(QStringLiteral("0"))).value_or(0);
        const double dy
            = Number(ValueOf(QStringLiteral("glyph_dy"), entry).value_or(QStringLiteral("0"))).value_or(0);
        target = QRectF((size.width() - width) / 2 + dx, (size.height() - height) / 2 + dy, width, height);
    }
    svg.render(&painter, target);
    if (!complaints.Messages().isEmpty()) {
        *error = QStringLiteral("%1: %2: %3")
                     .arg(entry.where, path, complaints.Messages().join(QStringLiteral("; ")));
        return false;
    }
    return true;
}

QImage CSkinRenderer::Render(const SkinPictureEntry& entry, QString* error) const
{
    if (!m_styles.HasState(entry.state)) {
        *error = QStringLiteral("%1: no state \"%2\" in the style table").arg(entry.where, entry.state);
        return QImage();
    }
    QImage picture(entry.size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHints(
            QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        if (entry.flip.contains(QLatin1Char('x')))
            painter.setTransform(QTransform(-1, 0, 0, 1, entry.size.width(), 0), true);
        if (entry.flip.contains(QLatin1Char('y')))
            painter.setTransform(QTransform(1, 0, 0, -1, 0, entry.size.height()), true);
        const QDir sources(m_sourceFolder);
        if (!DrawSource(sources.filePath(QStringLiteral("bodies/%1.svg").arg(entry.body)), entry, painter,
                false, error))
            return QImage();
        if (!entry.glyph.isEmpty()
            && !DrawSource(sources.filePath(QStringLiteral("glyphs/%1.svg").arg(entry.glyph)), entry, painter,
                true, error))
            return QImage();
    }
    if (entry.matte.isEmpty())
        return picture;
    const std::optional<QColor> matte = ColourOf(entry.matte, entry);
    if (!matte) {
        *error = QStringLiteral("%1: matte \"%2\" is not a colour").arg(entry.where, entry.matte);
        return QImage();
    }
    QImage opaque(entry.size, QImage::Format_RGB32);
    opaque.fill(*matte);
    QPainter(&opaque).drawImage(0, 0, picture);
    return opaque;
}

bool CSkinRenderer::Save(const QImage& image, const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("cannot make the folder %1").arg(info.absolutePath());
        return false;
    }
    const bool bmp = info.suffix().compare(QStringLiteral("bmp"), Qt::CaseInsensitive) == 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    QImageWriter writer(&file, bmp ? "bmp" : "png");
    if (!writer.write(bmp ? image.convertToFormat(QImage::Format_RGB32) : image)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, writer.errorString());
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
