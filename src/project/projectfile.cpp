// The .bvp project file: writing one record, reading a whole file.
#include "project/projectfile.h"

#include "error.h"
#include "fileaccess.h"
#include "filekind.h"
#include "project/paths.h"

#include <QFile>

#include <algorithm>
#include <climits>

namespace bitvane {

namespace {

QString rangeText(const char *what, int min, int max, const QString &value)
{
    return QStringLiteral("%1 %2 is outside %3 to %4")
        .arg(QLatin1StringView(what), value)
        .arg(min)
        .arg(max);
}

// A field value as the message shows it: long garbage is cut, so that the
// message stays one readable line.
QString shown(QByteArrayView bytes, qsizetype limit = 40)
{
    const QString s = QString::fromUtf8(bytes.first(std::min(bytes.size(), limit)));
    return bytes.size() > limit ? s + QStringLiteral("...") : s;
}

// The settings line opens with this word; the rest is key=value pairs
// separated by semicolons.
constexpr QByteArrayView SettingsMark = "#bitvane";

// The settings line at the start of bytes (after a byte order mark), without
// its line end, or nothing when the file has none.
std::optional<QByteArrayView> SettingsLineOf(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (!bytes.startsWith(SettingsMark))
        return std::nullopt;
    qsizetype end = SettingsMark.size();
    if (end < bytes.size() && !QByteArrayView(" \t\r\n").contains(bytes[end]))
        return std::nullopt;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    return bytes.first(end);
}

// Each key of the settings line with its two values, the default first, in
// the order the line is written; one table for both directions.
struct SettingKey {
    QByteArrayView key;
    QByteArrayView values[2];
    bool (*get)(const ProjectSettings &);
    void (*set)(ProjectSettings &, bool);
};

constexpr SettingKey SettingKeys[] = {
    {"style",
     {"classic", "modern"},
     [](const ProjectSettings &s) { return s.style == HeaderStyle::Modern; },
     [](ProjectSettings &s, bool v) { s.style = v ? HeaderStyle::Modern : HeaderStyle::Classic; }},
    {"masks",
     {"off", "on"},
     [](const ProjectSettings &s) { return s.masks; },
     [](ProjectSettings &s, bool v) { s.masks = v; }},
    {"notation",
     {"hex", "binary"},
     [](const ProjectSettings &s) { return !s.hex; },
     [](ProjectSettings &s, bool v) { s.hex = !v; }},
    {"locations",
     {"absolute", "relative"},
     [](const ProjectSettings &s) { return s.relativeLocations; },
     [](ProjectSettings &s, bool v) { s.relativeLocations = v; }},
    {"shared",
     {"off", "on"},
     [](const ProjectSettings &s) { return s.shared; },
     [](ProjectSettings &s, bool v) { s.shared = v; }},
};

// Reads the fields of a project file one at a time, as the format's reader
// always has: a field is not a line, and a quoted location may hold commas.
class FieldReader {
public:
    enum class End { Comma, LineEnd, FileEnd };
    struct Field {
        QByteArrayView value;
        End end;
        bool quoted = false;
    };

    FieldReader(QByteArrayView bytes, const QString &fileName) : m_bytes(bytes), m_file(fileName)
    {
        // An editor that saved the file as UTF-8 may have put a byte order
        // mark in front; it is not part of the first location.
        if (m_bytes.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
        // The settings line is ParseProjectSettings' to read.
        if (const std::optional<QByteArrayView> settings = SettingsLineOf(m_bytes)) {
            m_pos = settings->size() + (m_pos == 3 ? 3 : 0);
            if (m_pos < m_bytes.size())
                consumeLineEnd();
        }
    }

    int line() const { return m_line; }

    // Passes over lines that hold nothing but blanks; false at the end of
    // the file.
    bool nextRecord()
    {
        for (;;) {
            qsizetype p = m_pos;
            while (p < m_bytes.size() && isBlank(m_bytes[p]))
                ++p;
            if (p == m_bytes.size()) {
                m_pos = p;
                return false;
            }
            if (!isLineEnd(m_bytes[p]))
                return true;
            m_pos = p;
            consumeLineEnd();
        }
    }

    // text: the name of a text field, whose value may be quoted; number
    // fields (nullptr) take a quote as just another character, which then
    // makes them no number.
    Field read(const char *text)
    {
        skipBlanks();
        if (text && m_pos < m_bytes.size() && m_bytes[m_pos] == '"') {
            const qsizetype start = m_pos + 1;
            qsizetype p = start;
            while (p < m_bytes.size() && m_bytes[p] != '"' && !isLineEnd(m_bytes[p]))
                ++p;
            if (p == m_bytes.size() || m_bytes[p] != '"')
                throw Error(m_file, m_line,
                            QStringLiteral("the quote that opens the %1 is never closed")
                                .arg(QLatin1StringView(text)));
            const QByteArrayView value = m_bytes.sliced(start, p - start);
            m_pos = p + 1;
            // Whatever stands between the closing quote and the field's end
            // is passed over, as the format's reader always did.
            while (m_pos < m_bytes.size() && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos]))
                ++m_pos;
            return {value, consumeEnd(), true};
        }
        const qsizetype start = m_pos;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos]))
            ++m_pos;
        qsizetype stop = m_pos;
        while (stop > start && isBlank(m_bytes[stop - 1]))
            --stop;
        const QByteArrayView value = m_bytes.sliced(start, stop - start);
        return {value, consumeEnd()};
    }

private:
    static bool isBlank(char c) { return c == ' ' || c == '\t'; }
    static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

    void skipBlanks()
    {
        while (m_pos < m_bytes.size() && isBlank(m_bytes[m_pos]))
            ++m_pos;
    }

    // CR LF, a lone LF and a lone CR each end one line.
    void consumeLineEnd()
    {
        if (m_bytes[m_pos] == '\r' && m_pos + 1 < m_bytes.size() && m_bytes[m_pos + 1] == '\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
    }

    End consumeEnd()
    {
        if (m_pos == m_bytes.size())
            return End::FileEnd;
        if (m_bytes[m_pos] == ',') {
            ++m_pos;
            return End::Comma;
        }
        consumeLineEnd();
        return End::LineEnd;
    }

    QByteArrayView m_bytes;
    const QString &m_file;
    qsizetype m_pos = 0;
    int m_line = 1;
};

// Only what a person would write as a whole number: an optional sign and
// decimal digits. Anything else is refused rather than read as far as it
// goes, so a typo never turns silently into a setting.
std::int16_t toSetting(QByteArrayView text, const char *what, int min, int max, const QString &file,
                       int line)
{
    if (text.isEmpty())
        throw Error(file, line, QStringLiteral("the %1 is missing").arg(QLatin1StringView(what)));
    qsizetype i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size())
        throw Error(file, line,
                    QStringLiteral("%1 \"%2\" is not a decimal integer")
                        .arg(QLatin1StringView(what), shown(text)));
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            throw Error(file, line,
                        QStringLiteral("%1 \"%2\" is not a decimal integer")
                            .arg(QLatin1StringView(what), shown(text)));
        // Past a million the exact size no longer matters: it is out of range.
        if (value < 1000000)
            value = value * 10 + (c - '0');
    }
    if (text[0] == '-')
        value = -value;
    if (value < min || value > max)
        throw Error(file, line, rangeText(what, min, max, shown(text)));
    return static_cast<std::int16_t>(value);
}

// The optional fourth field. It is always quoted: an unquoted one could not
// tell an empty name from a stray comma.
QString readName(const FieldReader::Field &field, const QString &file, int line)
{
    if (!field.quoted)
        throw Error(
            file, line,
            QStringLiteral("the name \"%1\" is not in double quotes").arg(shown(field.value)));
    const QString name = QString::fromUtf8(field.value);
    const QString problem = NameStorageProblem(name);
    if (!problem.isEmpty())
        throw Error(file, line, QStringLiteral("the name %1").arg(problem));
    return name;
}

// The optional fifth field, quoted like the name; the last a record has.
OptionChoices readOptions(const FieldReader::Field &field, const QString &file, int line)
{
    if (field.end == FieldReader::End::Comma)
        throw Error(file, line, QStringLiteral("the record has more than five fields"));
    if (!field.quoted)
        throw Error(
            file, line,
            QStringLiteral("the options \"%1\" are not in double quotes").arg(shown(field.value)));
    return ParseOptionField(field.value, file, line);
}

// The name and options fields of a record whose options differ from the
// defaults: the name is written then even when it is the base name.
QByteArray optionFields(const ProjectRecord &record)
{
    const QByteArray options = FormatOptionField(ResolveOptions(record.options));
    if (options.isEmpty())
        return record.name ? ",\"" + record.name->toUtf8() + '"' : QByteArray();
    const QString name = record.name ? *record.name : GetBaseName(record.location);
    return ",\"" + name.toUtf8() + "\",\"" + options + '"';
}

} // namespace

QString NameStorageProblem(const QString &name)
{
    if (name.contains(u'"'))
        return QStringLiteral("holds a double quote");
    if (name.contains(u'\r') || name.contains(u'\n'))
        return QStringLiteral("holds a line break");
    if (name.contains(QChar(0)))
        return QStringLiteral("holds a NUL character");
    if (name.toUtf8().size() > MaxNameBytes)
        return QStringLiteral("is longer than %1 bytes").arg(MaxNameBytes);
    return {};
}

QByteArray FormatProjectRecord(const ProjectRecord &record)
{
    // Everything written here must read back as written: a record the reader
    // would refuse is refused now, while the previous project file is intact.
    if (record.location.contains(u'"'))
        throw Error(record.location, QStringLiteral("cannot be stored in a project file: the "
                                                    "location holds a double quote"));
    if (record.location.contains(u'\r') || record.location.contains(u'\n'))
        throw Error(record.location, QStringLiteral("cannot be stored in a project file: the "
                                                    "location holds a line break"));
    if (record.brightness < MinBrightness || record.brightness > MaxBrightness)
        throw Error(record.location, rangeText("brightness", MinBrightness, MaxBrightness,
                                               QString::number(record.brightness)));
    if (record.contrast < MinContrast || record.contrast > MaxContrast)
        throw Error(record.location, rangeText("contrast", MinContrast, MaxContrast,
                                               QString::number(record.contrast)));
    GetBaseName(record.location);
    if (record.name) {
        const QString problem = NameStorageProblem(*record.name);
        if (!problem.isEmpty())
            throw Error(record.location,
                        QStringLiteral("cannot be stored in a project file: the name \"%1\" %2")
                            .arg(shown(record.name->toUtf8()), problem));
    }

    QByteArray line;
    const QByteArray location = QFile::encodeName(record.location);
    line.reserve(location.size() + 16);
    line += '"';
    line += location;
    line += "\",";
    line += QByteArray::number(record.brightness);
    line += ',';
    line += QByteArray::number(record.contrast);
    line += optionFields(record);
    line += "\r\n";
    return line;
}

QByteArray FormatSettingsLine(const ProjectSettings &settings)
{
    QByteArray line;
    for (const SettingKey &k : SettingKeys) {
        if (!k.get(settings))
            continue;
        line += line.isEmpty() ? ' ' : ';';
        line += k.key;
        line += '=';
        line += k.values[1];
    }
    return line.isEmpty() ? line : SettingsMark.toByteArray() + line + "\r\n";
}

ProjectSettings ParseProjectSettings(QByteArrayView bytes, const QString &fileName)
{
    ProjectSettings settings;
    const std::optional<QByteArrayView> line = SettingsLineOf(bytes);
    if (!line)
        return settings;
    auto refuse = [&](const QString &reason) { return Error(fileName, 1, reason); };
    std::vector<const SettingKey *> seen;
    for (const QByteArray &raw : line->sliced(SettingsMark.size()).toByteArray().split(';')) {
        const QByteArray item = raw.trimmed();
        if (item.isEmpty())
            continue;
        const qsizetype equals = item.indexOf('=');
        if (equals < 0)
            throw refuse(
                QStringLiteral("setting \"%1\" is not in the form key=value").arg(shown(item)));
        const QByteArray key = item.first(equals).trimmed();
        const QByteArray value = item.sliced(equals + 1).trimmed();
        const auto known = std::find_if(std::begin(SettingKeys), std::end(SettingKeys),
                                        [&](const SettingKey &k) { return k.key == key; });
        if (known == std::end(SettingKeys))
            throw refuse(QStringLiteral("unknown setting \"%1\" (known: style, masks, notation, "
                                        "locations, shared)")
                             .arg(shown(key)));
        if (std::find(seen.begin(), seen.end(), known) != seen.end())
            throw refuse(QStringLiteral("%1 is set twice").arg(QLatin1StringView(key)));
        seen.push_back(known);
        if (value != known->values[0] && value != known->values[1])
            throw refuse(QStringLiteral("%1 \"%2\" is neither %3 nor %4")
                             .arg(QLatin1StringView(key), shown(value),
                                  QLatin1StringView(known->values[0]),
                                  QLatin1StringView(known->values[1])));
        known->set(settings, value == known->values[1]);
    }
    if (settings.shared && settings.style != HeaderStyle::Modern)
        throw refuse(QStringLiteral("shared=on needs style=modern"));
    return settings;
}

std::vector<ProjectRecord> ParseProject(const QByteArray &bytes, const QString &fileName)
{
    std::vector<ProjectRecord> records;
    FieldReader reader(bytes, fileName);
    while (reader.nextRecord()) {
        const int line = reader.line();
        if (records.size() == std::size_t(MaxProjectRecords))
            throw Error(fileName, line,
                        QStringLiteral("more than %1 records: a project holds at most %1 pictures")
                            .arg(MaxProjectRecords));

        auto cutShort = [&](FieldReader::End end, const char *missing) {
            if (end == FieldReader::End::FileEnd)
                return Error(fileName, line,
                             QStringLiteral("the file ends inside a record: %1 missing")
                                 .arg(QLatin1StringView(missing)));
            return Error(fileName, line,
                         QStringLiteral("the record ends early: %1 missing")
                             .arg(QLatin1StringView(missing)));
        };

        const FieldReader::Field location = reader.read("location");
        if (location.end != FieldReader::End::Comma)
            throw cutShort(location.end, "brightness and contrast are");
        if (location.value.contains('\0'))
            throw Error(fileName, line, QStringLiteral("the location holds a NUL character"));
        if (location.value.contains('"'))
            throw Error(fileName, line,
                        QStringLiteral("the location holds a double quote outside the quotes"));
        const FieldReader::Field brightness = reader.read(nullptr);
        if (brightness.end != FieldReader::End::Comma)
            throw cutShort(brightness.end, "the contrast is");
        const FieldReader::Field contrast = reader.read(nullptr);
        std::optional<QString> name;
        OptionChoices options;
        if (contrast.end == FieldReader::End::Comma) {
            const FieldReader::Field nameField = reader.read("name");
            name = readName(nameField, fileName, line);
            if (nameField.end == FieldReader::End::Comma)
                options = readOptions(reader.read("options"), fileName, line);
        }

        ProjectRecord record;
        record.line = line;
        record.location = QFile::decodeName(location.value.toByteArray());
        record.brightness =
            toSetting(brightness.value, "brightness", MinBrightness, MaxBrightness, fileName, line);
        record.contrast =
            toSetting(contrast.value, "contrast", MinContrast, MaxContrast, fileName, line);
        record.name = std::move(name);
        record.options = options;
        try {
            GetBaseName(record.location);
        } catch (const Error &e) {
            throw Error(
                fileName, line,
                QStringLiteral("location \"%1\": %2").arg(shown(location.value, 200), e.reason()));
        }
        records.push_back(std::move(record));
    }
    return records;
}

namespace {

QByteArray ReadProjectBytes(const QString &path)
{
    // The longest file a project can be: every record with the longest
    // location the system allows. Anything longer is not a project file, and
    // a device that reads for ever is refused before it is read at all.
    constexpr qint64 LongestRecord =
        PATH_MAX + MaxNameBytes + MaxOptionBytes + sizeof("\"\",-255,-100,\"\",\"\"\r\n");
    constexpr qint64 LongestSettings = 128;
    constexpr qint64 MaxProjectBytes = 3 + LongestSettings + MaxProjectRecords * LongestRecord;
    return ReadRegularFile(path, path, MaxProjectBytes, u"project file");
}

} // namespace

std::vector<ProjectRecord> ReadProjectFile(const QString &path)
{
    return ReadProjectFileContents(path).records;
}

ProjectFileContents ReadProjectFileContents(const QString &path)
{
    const QByteArray bytes = ReadProjectBytes(path);
    try {
        return {ParseProjectSettings(bytes, path), ParseProject(bytes, path)};
    } catch (const Error &) {
        // A file that fails as a project and plainly is something else (a
        // picture, a header) is called what it is: the line's complaint
        // would only puzzle.
        const QString kind = FileKind(bytes);
        if (kind.isEmpty())
            throw;
        throw Error(path, QStringLiteral("not a project file (%1)").arg(kind));
    }
}

} // namespace bitvane
