#include "ui/RowMarks.h"

#include "engine/replace/ApplyPairs.h"
#include "engine/scan/CppEscapes.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString tokensShown(const QStringList &tokens)
{
    if (tokens.isEmpty())
        return QStringLiteral("（无）");
    return QLatin1Char('%') + tokens.join(QStringLiteral(" %"));
}

QString explain(ReplacementProblem problem, const QString &found, const QString &replacement)
{
    switch (problem) {
    case ReplacementProblem::EndsLiteral:
        return QStringLiteral("替换中有引号 \"：写入后字符串会在那里结束，代码将无法编译。请把引号写成 \\\"。");
    case ReplacementProblem::EscapesClosingQuote:
        return QStringLiteral("替换以奇数个反斜杠 \\ 结尾：它会转义字符串结尾的引号。请在末尾再加一个反斜杠（写成 \\\\）。");
    case ReplacementProblem::LineBreak:
        return QStringLiteral("替换中有换行：字符串不能跨行。请把换行写成 \\n。");
    case ReplacementProblem::PlaceholdersDiffer:
        return QStringLiteral("占位符和原始字符串不同：原始字符串有 %1，替换有 %2。请保留同样的占位符。")
            .arg(tokensShown(PlaceholderTokens(found)), tokensShown(PlaceholderTokens(replacement)));
    case ReplacementProblem::AcceleratorsDiffer:
        return QStringLiteral("快捷键（&）的个数和原始字符串不同：原始字符串有 %1 个，替换有 %2 个。")
            .arg(AccessKeyCount(found))
            .arg(AccessKeyCount(replacement));
    }
    return QString();
}

} // namespace

RowMarks::RowMarks(QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

RowMarks::~RowMarks()
{
    m_pool.waitForDone();
}

MarksReading MarksReading::Of(const QString &text, const TextRows &rows, bool codeStrings)
{
    MarksReading reading;
    reading.lines = SourceLines(text);
    reading.spans = rows.spans;
    reading.rawDelimiters = rows.rawDelimiters;
    reading.places = codeStrings ? QList<CodePlace>() : PlaceSpans(text, rows.spans);
    UseReading uses = codeStrings ? ReadStringUses(text, rows.spans, rows.regions) : UseReading();
    ProgramFlows flows; // the file's own functions: the window reads one file
    const int file = flows.add(std::move(uses.flows));
    flows.resolve();
    reading.uses = std::move(uses.uses);
    for (qsizetype i = 0; i < reading.uses.size(); ++i) {
        const QString found = text.mid(rows.spans[i].start, rows.spans[i].length);
        const QString shown = rows.rawDelimiters.value(i).isNull() ? DecodeCppEscapes(found).value_or(found) : found;
        reading.data.append(flows.kindOf(reading.uses[i], shown, file) == UseKind::Data);
    }
    return reading;
}

void RowMarks::setText(const QString &text, const TextRows &rows, bool codeStrings)
{
    setText(text, MarksReading::Of(text, rows, codeStrings));
}

void RowMarks::setText(const QString &text, const MarksReading &reading)
{
    m_plan = Plan(); // its places are in the text before
    m_text = text;
    m_reading = reading;
}

// A row of the quote pairing that is no string of the code.
bool RowMarks::placeMarked(int row) const
{
    return row >= 0 && row < m_reading.places.size() && m_reading.places[row] != CodePlace::String;
}

void RowMarks::setOwnLiterals(bool own)
{
    m_own = own;
}

void RowMarks::update(const Rows &rows)
{
    ++m_generation;
    m_pending = Plan();
    m_pending.rows = rows;
    m_pending.own = m_own;
    m_hasPending = true;
    if (!m_running)
        startPending();
}

void RowMarks::work(Plan &plan, const QString &text, const QList<LiteralSpan> &spans, const QStringList &rawDelimiters)
{
    static_cast<RowAnalysis &>(plan) = AnalyseRows(text, spans, rawDelimiters, plan.rows.found, plan.rows.replacements, plan.own);
    plan.pressed = RowsPressed(text, spans, plan.rows.found, plan.rows.replacements, plan.rows.written, plan.landings, plan.own);
}

void RowMarks::settle()
{
    while (m_running) {
        m_pool.waitForDone();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall); // its result, and the next one started
    }
}

void RowMarks::startPending()
{
    m_hasPending = false;
    Plan plan = std::move(m_pending);
    bool anyChanged = false;
    for (qsizetype i = 0; i < qMin(plan.rows.found.size(), plan.rows.replacements.size()) && !anyChanged; ++i)
        anyChanged = RowChanges(plan.rows.found.at(i), plan.rows.replacements.at(i));
    if (!anyChanged) { // no edit to look at: only the reading marks its rows, and restored ones may be unwritten
        plan.pressed = RowsPressed(m_text, m_reading.spans, plan.rows.found, plan.rows.replacements, plan.rows.written, {}, plan.own);
        finished(m_generation, plan);
        return;
    }
    m_running = true;
    m_pool.start([this, plan = std::move(plan), text = m_text, spans = m_reading.spans, raw = m_reading.rawDelimiters,
                  generation = m_generation]() mutable {
        work(plan, text, spans, raw);
        QMetaObject::invokeMethod(this, [this, plan = std::move(plan), generation] {
            m_running = false;
            finished(generation, plan);
        }, Qt::QueuedConnection);
    });
}

void RowMarks::finished(int generation, const Plan &plan)
{
    if (generation == m_generation) {
        m_plan = plan;
        m_plan.marked.resize(size_t(qMax(m_plan.rows.found.size(), m_reading.places.size())), false);
        for (qsizetype i = 0; i < qMax(m_reading.places.size(), m_reading.uses.size()); ++i) {
            if ((placeMarked(int(i)) || pastLatin1(int(i))) && size_t(i) < m_plan.marked.size() && !m_plan.marked[size_t(i)]) {
                m_plan.marked[size_t(i)] = true;
                ++m_plan.markedCount;
            }
        }
        emit marksChanged();
    }
    if (m_hasPending && !m_running)
        startPending();
}

// The row's stored edit changes the text where it lands.
bool RowMarks::changes(int row) const
{
    const Rows &rows = m_plan.rows;
    return row >= 0 && row < rows.found.size() && row < rows.replacements.size()
        && RowChanges(rows.found[row], rows.replacements[row]);
}

// A replace wrote the row's edit as it stands: its words are about the next press.
bool RowMarks::pressAgain(int row) const
{
    const Rows &rows = m_plan.rows;
    return row < rows.written.size() && rows.written[row] != rows.found[row] && rows.written[row] == rows.replacements[row];
}

bool RowMarks::marked(int row) const
{
    return row >= 0 && size_t(row) < m_plan.marked.size() && m_plan.marked[size_t(row)];
}

bool RowMarks::looksLikeData(int row) const
{
    return row >= 0 && row < m_reading.data.size() && m_reading.data[row];
}

bool RowMarks::readAsLatin1(int row) const
{
    return row >= 0 && row < m_reading.uses.size() && m_reading.uses[row].latin1;
}

// An edit the code will read as Latin-1 from this UTF-8 file, with a character past ASCII: it shows garbled.
bool RowMarks::pastLatin1(int row) const
{
    if (!readAsLatin1(row) || row >= m_plan.rows.replacements.size() || !changes(row))
        return false;
    const QString &edit = m_plan.rows.replacements[row];
    return std::any_of(edit.begin(), edit.end(), [](QChar c) { return c.unicode() > 0x7F; });
}

QString RowMarks::latin1Note(int row) const
{
    return pastLatin1(row) ? QStringLiteral("警告：\n这个字符串按 Latin-1 读（QLatin1String、fromLatin1 或 _L1），而文件是 UTF-8："
                                            "ASCII 以外的字符会显示成乱码。Latin-1 的字母可以写成八进制转义，例如 ö 写成 \\366。")
                           : QString();
}

QString RowMarks::sourceTip(int row) const
{
    if (row < 0 || row >= m_reading.spans.size())
        return QString();
    const LiteralSpan &span = m_reading.spans[row];
    const QString source = QStringLiteral("第 %1 行：%2").arg(m_reading.lines.lineOf(span.start)).arg(m_reading.lines.excerpt(span.start, span.length));
    const QString use = useNote(row);
    return use.isEmpty() ? source : source + QLatin1Char('\n') + use;
}

// Where the C++ reading's row is used, and why it looks like the program's data.
QString RowMarks::useNote(int row) const
{
    if (row < 0 || row >= m_reading.uses.size())
        return QString();
    const StringUse &use = m_reading.uses[row];
    const QString where = DescribeUse(use);
    QString note = where.isEmpty() ? QString() : QStringLiteral("用在：%1").arg(where);
    if (!looksLikeData(row))
        return note;
    QString why;
    if (use.marked)
        why = QStringLiteral("这一行的注释说不要翻译它（no-tr 之类）");
    else if (use.construct == u"#pragma")
        why = QStringLiteral("它在 #pragma 行里");
    else if (use.construct == u"comparison")
        why = QStringLiteral("程序拿它和不给人看的文字比较（== 或 !=）");
    else if (use.construct == u"subscript")
        why = QStringLiteral("它是下标 [] 里的键");
    else if (use.construct == u"qDebug")
        why = QStringLiteral("它是调试输出 qDebug() 的内容");
    else if (!use.construct.isEmpty())
        why = QStringLiteral("它在 %1 里").arg(use.construct);
    else if (!use.call.isEmpty() && KindOfUse(StringUse{use.call, {}, {}, {{use.call, 0, {}, {}}}}, u"words to show") == UseKind::Data)
        why = QStringLiteral("它是 %1 的参数").arg(use.call);
    else if (!use.calls.isEmpty() || !use.variable.isEmpty() || !use.stream.isEmpty())
        why = QStringLiteral("它经过程序的调用交给了进程、文件、设置、调试输出之类");
    else
        why = QStringLiteral("它看起来是名字、键或路径，或者没有文字");
    return (note.isEmpty() ? QString() : note + QLatin1Char('\n'))
        + QStringLiteral("这一行看来是程序用的数据：%1。翻译它可能让程序出错。").arg(why);
}

QString RowMarks::landingTip(int row) const
{
    QStringList parts{sourceTip(row), readingNote(row), landingNote(row), problemNote(row), latin1Note(row)};
    parts.removeAll(QString());
    return parts.join(QLatin1Char('\n'));
}

// What the row's edit does, in words; empty for a row left as found.
QString RowMarks::landingNote(int row) const
{
    if (!changes(row))
        return restoredNote(row);
    return m_plan.own ? ownLiteralNote(row) : firstOccurrenceNote(row);
}

// A row left as found whose literal an earlier replace changed: restored after it.
QString RowMarks::restoredNote(int row) const
{
    if (row < 0 || row >= m_reading.spans.size() || row >= m_plan.rows.found.size())
        return QString();
    const QStringView now = QStringView(m_text).sliced(m_reading.spans[row].start, m_reading.spans[row].length);
    if (now == m_plan.rows.found[row])
        return QString();
    if (m_plan.own)
        return QStringLiteral("文件中这个字符串现在是“%1”。按“替换文件”时写回原始字符串。").arg(now);
    return QStringLiteral("文件中这个字符串仍是上一次替换写入的“%1”：不勾选“只改各行自己的字符串”时，恢复的行不写入文件。\n"
                          "勾选它再按“替换文件”，就把原始字符串写回。").arg(now);
}

QString RowMarks::ownLiteralNote(int row) const
{
    if (row < m_reading.spans.size()
        && QStringView(m_text).sliced(m_reading.spans[row].start, m_reading.spans[row].length) == m_plan.rows.replacements[row])
        return QStringLiteral("文件已经写入：这个字符串已经是它的替换，再按“替换文件”不会再改动它。");
    return QStringLiteral("替换文件时改动的正是这个字符串。");
}

QString RowMarks::firstOccurrenceNote(int row) const
{
    if (row >= m_plan.landings.size())
        return QString();
    const Landing &landing = m_plan.landings[row];
    const bool again = pressAgain(row);
    if (landing.ownLiteral)
        return again ? QStringLiteral("文件已经写入。再按一次“替换文件”，这一行会再改动它自己的字符串。")
                     : QStringLiteral("替换文件时改动的正是这个字符串。");
    if (landing.position < 0 && !landing.inReplacement)
        return again ? QStringLiteral("文件已经写入。再按“替换文件”时，文件中已找不到这一行的原始字符串，这一行将被跳过。")
                     : QStringLiteral("文件中找不到这个字符串：按“替换文件”时将跳过这一行。");
    QString note = again ? QStringLiteral("文件已经写入。注意：如果再按一次“替换文件”，这一行会再次改动文件，\n"
                                          "改动的不是它自己的字符串，")
                         : QStringLiteral("注意：替换文件时，这一行改动的不是它自己的字符串，\n");
    if (landing.position < 0) {
        note += QStringLiteral("而是前面的行替换进去的文字。");
    } else {
        const int line = m_reading.lines.lineOf(landing.position);
        note += QStringLiteral("而是第 %1 行%2").arg(line).arg(placeOf(row, landing.position));
        if (landing.inReplacement)
            note += QStringLiteral("，并且连带前面的行改动过的文字");
        note += QStringLiteral("：\n第 %1 行：%2").arg(line).arg(m_reading.lines.excerpt(landing.position, m_plan.rows.found[row].size()));
    }
    return note + QStringLiteral("\n勾选“只改各行自己的字符串”，这一行就只改动它自己的字符串。");
}

// What the row is, read as a compiler reads the file, where it is no plain string.
QString RowMarks::readingNote(int row) const
{
    if (row >= 0 && row < m_reading.rawDelimiters.size() && !m_reading.rawDelimiters[row].isNull())
        return QStringLiteral("这一行是原始字符串 R\"%1(…)%1\"：换行、引号和反斜杠都可以照原样写。").arg(m_reading.rawDelimiters[row]);
    if (!placeMarked(row))
        return QString();
    QString note;
    switch (m_reading.places[row]) {
    case CodePlace::Comment: note = QStringLiteral("这一行在注释里。"); break;
    case CodePlace::HeaderName: note = QStringLiteral("这一行是 #include 行的文件名，不是字符串。"); break;
    case CodePlace::InsideString: note = QStringLiteral("这一行不是一个完整的字符串：它只是代码中某个字符串的一部分。"); break;
    default: note = QStringLiteral("这一行不是字符串：前面的引号配对错位了，它是代码。"); break;
    }
    return note + QStringLiteral("\n勾选“只列出代码中的字符串”，列表中就只有代码中的字符串。");
}

QString RowMarks::problemNote(int row) const
{
    if (row < 0 || row >= m_plan.problems.size() || m_plan.problems[row].isEmpty())
        return QString();
    QString note = QStringLiteral("警告：");
    for (const ReplacementProblem problem : m_plan.problems[row])
        note += QLatin1Char('\n') + explain(problem, m_plan.rows.found[row], m_plan.rows.replacements[row]);
    return note;
}

// What stands at the position: a literal of the text, or code and comments.
QString RowMarks::placeOf(int row, qsizetype position) const
{
    const auto after = std::upper_bound(m_reading.spans.begin(), m_reading.spans.end(), position,
                                        [](qsizetype at, const LiteralSpan &span) { return at < span.start; });
    if (after != m_reading.spans.begin()) {
        const LiteralSpan &span = *(after - 1);
        if (position < span.start + span.length)
            return after - 1 - m_reading.spans.begin() == row ? QStringLiteral("的这个字符串中的一部分")
                                                      : QStringLiteral("的另一个字符串");
    }
    return QStringLiteral("的代码或注释");
}
