// The two highlighting libraries Debian ships, side by side on the languages code answers use:
// which languages each one has, how long each takes over a 5,000-line block made of a real
// sample, and (with --show LANG) how each one splits a sample into styled runs, to judge the
// colouring by eye. Prints name=value lines like every benchmark here.
//
// Built only where both libsource-highlight-dev and libt3highlight-dev are installed; the app
// links one of them (see src/highlight/README.md), this program both.
#include <srchilite/formattermanager.h>
#include <srchilite/formatter.h>
#include <srchilite/formatterparams.h>
#include <srchilite/langdefmanager.h>
#include <srchilite/regexrulefactory.h>
#include <srchilite/sourcehighlighter.h>

#include <t3highlight/highlight.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Run {
    size_t start;
    size_t length;
    std::string style;
};
using Lines = std::vector<std::string>;

struct Language {
    const char *name;        // the sample's name in samples/
    const char *sourceHighlight;  // its language file in source-highlight, or nullptr
    const char *t3;          // its language file in libt3highlight, or nullptr
};

// What each library ships for the languages the answers must colour (checked against the files
// in /usr/share/source-highlight and /usr/share/libt3highlight2).
const Language kLanguages[] = {
    {"python", "python.lang", "python3.lang"},
    {"c", "c.lang", "c.lang"},
    {"cpp", "cpp.lang", "cxx.lang"},
    {"csharp", "csharp.lang", nullptr},
    {"java", "java.lang", "java.lang"},
    {"javascript", "javascript.lang", "javascript.lang"},
    {"typescript", nullptr, nullptr},
    {"go", "go.lang", nullptr},
    {"rust", "rust.lang", nullptr},
    {"kotlin", nullptr, nullptr},
    {"swift", nullptr, nullptr},
    {"php", "php.lang", "php.lang"},
    {"ruby", "ruby.lang", "ruby.lang"},
    {"sql", "sql.lang", nullptr},
    {"bash", "sh.lang", "sh.lang"},
    {"json", "json.lang", nullptr},
    {"yaml", nullptr, nullptr},
    {"html", "html.lang", "html.lang"},
    {"xml", "xml.lang", "xml.lang"},
    {"css", "css.lang", "css.lang"},
    {"markdown", nullptr, "markdown.lang"},
    {"diff", "diff.lang", "diff.lang"},
};

Lines readLines(const std::string &path)
{
    std::ifstream in(path);
    Lines lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Lines block(const Lines &sample, size_t count)
{
    Lines out;
    while (out.size() < count)
        for (const auto &line : sample)
            if (out.size() < count)
                out.push_back(line);
    return out;
}

// source-highlight: one formatter per element name; each records its runs.
class RunFormatter : public srchilite::Formatter {
public:
    RunFormatter(std::string style, std::vector<Run> *runs, size_t *pos)
        : m_style(std::move(style)), m_runs(runs), m_pos(pos) {}
    void format(const std::string &s, const srchilite::FormatterParams *) override
    {
        if (m_style != "normal")
            m_runs->push_back({*m_pos, s.size(), m_style});
        *m_pos += s.size();
    }
private:
    std::string m_style;
    std::vector<Run> *m_runs;
    size_t *m_pos;
};

const char *const kSourceHighlightElements[] = {"keyword", "type", "usertype", "string", "regexp",
    "specialchar", "comment", "number", "preproc", "symbol", "function", "cbracket", "todo",
    "code", "predef_var", "predef_func", "classname", "variable", "label", "url", "attribute",
    "oldfile", "newfile", "difflines", "linenum", "section", "bold", "italics", "fixed",
    "argument", "value", "date", "time", "file", "ip", "name", "property", "selector", "tag"};

struct SourceHighlightRunner {
    srchilite::RegexRuleFactory factory;
    srchilite::LangDefManager manager{&factory};
    std::vector<Run> runs;
    size_t pos = 0;
    std::unique_ptr<srchilite::FormatterManager> formatters;

    SourceHighlightRunner()
    {
        formatters = std::make_unique<srchilite::FormatterManager>(
            srchilite::FormatterPtr(new RunFormatter("normal", &runs, &pos)));
        for (const char *e : kSourceHighlightElements)
            formatters->addFormatter(e, srchilite::FormatterPtr(new RunFormatter(e, &runs, &pos)));
    }
    // Highlights every line; returns the runs of line `keep` (or none).
    std::vector<Run> run(const char *langFile, const Lines &lines, size_t keep = size_t(-1),
                         std::vector<std::vector<Run>> *all = nullptr)
    {
        srchilite::SourceHighlighter h(
            manager.getHighlightState("/usr/share/source-highlight", langFile));
        h.setFormatterManager(formatters.get());
        h.setOptimize(false);
        srchilite::FormatterParams params;
        h.setFormatterParams(&params);
        std::vector<Run> kept;
        for (size_t i = 0; i < lines.size(); ++i) {
            runs.clear();
            pos = 0;
            h.highlightParagraph(lines[i]);
            if (all)
                all->push_back(runs);
            if (i == keep)
                kept = runs;
        }
        return kept;
    }
};

struct T3Runner {
    std::vector<std::string> styles;
    static int mapStyle(void *self, const char *name)
    {
        auto &styles = static_cast<T3Runner *>(self)->styles;
        auto it = std::find(styles.begin(), styles.end(), name);
        if (it != styles.end())
            return int(it - styles.begin());
        styles.push_back(name);
        return int(styles.size() - 1);
    }
    t3_highlight_t *load(const char *langFile)
    {
        styles = {"normal"};
        t3_highlight_error_t error{};
        return t3_highlight_load(langFile, &T3Runner::mapStyle, this,
                                 T3_HIGHLIGHT_UTF8 | T3_HIGHLIGHT_USE_PATH, &error);
    }
    void run(t3_highlight_t *syntax, const Lines &lines, std::vector<std::vector<Run>> *all)
    {
        t3_highlight_match_t *match = t3_highlight_new_match(syntax);
        for (const auto &line : lines) {
            std::vector<Run> runs;
            t3_highlight_next_line(match);
            bool more;
            do {
                more = t3_highlight_match(match, line.data(), line.size());
                size_t begin = t3_highlight_get_start(match);
                size_t start = t3_highlight_get_match_start(match);
                size_t end = t3_highlight_get_end(match);
                if (start > begin && t3_highlight_get_begin_attr(match) != 0)
                    runs.push_back({begin, start - begin, styles[t3_highlight_get_begin_attr(match)]});
                if (end > start && t3_highlight_get_match_attr(match) != 0)
                    runs.push_back({start, end - start, styles[t3_highlight_get_match_attr(match)]});
            } while (more);
            if (all)
                all->push_back(std::move(runs));
        }
        t3_highlight_free_match(match);
    }
};

double microsecondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
}

void show(const Lines &sample, const std::vector<std::vector<Run>> &runs)
{
    for (size_t i = 0; i < sample.size() && i < runs.size(); ++i) {
        std::string out;
        size_t at = 0;
        for (const auto &r : runs[i]) {
            if (r.start < at)
                continue;
            out += sample[i].substr(at, r.start - at);
            out += "[" + r.style + ":" + sample[i].substr(r.start, r.length) + "]";
            at = r.start + r.length;
        }
        out += sample[i].substr(std::min(at, sample[i].size()));
        std::printf("  %s\n", out.c_str());
    }
}

} // namespace

int main(int argc, char **argv)
{
    const std::string samples = VEXA_HIGHLIGHT_SAMPLES;
    const size_t blockLines = 5000;
    const std::string showLanguage = argc > 2 && std::string(argv[1]) == "--show" ? argv[2] : "";

    SourceHighlightRunner sh;
    T3Runner t3;
    int shCount = 0, t3Count = 0;
    double shTotal = 0, t3Total = 0;
    int both = 0;
    for (const Language &lang : kLanguages) {
        const Lines sample = readLines(samples + "/" + lang.name + ".txt");
        const Lines lines = block(sample, blockLines);
        if (!showLanguage.empty()) {
            if (showLanguage != lang.name)
                continue;
            if (lang.sourceHighlight) {
                std::vector<std::vector<Run>> all;
                sh.run(lang.sourceHighlight, sample, size_t(-1), &all);
                std::printf("source-highlight %s:\n", lang.name);
                show(sample, all);
            }
            if (lang.t3) {
                std::vector<std::vector<Run>> all;
                t3_highlight_t *syntax = t3.load(lang.t3);
                if (syntax) {
                    t3.run(syntax, sample, &all);
                    t3_highlight_free(syntax);
                }
                std::printf("t3highlight %s:\n", lang.name);
                show(sample, all);
            }
            continue;
        }
        double shUs = -1, t3Us = -1;
        if (lang.sourceHighlight) {
            ++shCount;
            auto t0 = std::chrono::steady_clock::now();
            sh.run(lang.sourceHighlight, {"x"});
            std::printf("sourcehighlight_%s_load_ms=%.2f\n", lang.name, microsecondsSince(t0) / 1000);
            double best = 1e18;
            for (int rep = 0; rep < 3; ++rep) {
                t0 = std::chrono::steady_clock::now();
                sh.run(lang.sourceHighlight, lines);
                best = std::min(best, microsecondsSince(t0));
            }
            shUs = best / double(lines.size());
            std::printf("sourcehighlight_%s_us_per_line=%.2f\n", lang.name, shUs);
        }
        if (lang.t3) {
            ++t3Count;
            auto t0 = std::chrono::steady_clock::now();
            t3_highlight_t *syntax = t3.load(lang.t3);
            std::printf("t3highlight_%s_load_ms=%.2f\n", lang.name, microsecondsSince(t0) / 1000);
            if (syntax) {
                double best = 1e18;
                for (int rep = 0; rep < 3; ++rep) {
                    t0 = std::chrono::steady_clock::now();
                    t3.run(syntax, lines, nullptr);
                    best = std::min(best, microsecondsSince(t0));
                }
                t3Us = best / double(lines.size());
                std::printf("t3highlight_%s_us_per_line=%.2f\n", lang.name, t3Us);
                t3_highlight_free(syntax);
            }
        }
        if (shUs >= 0 && t3Us >= 0) {
            ++both;
            shTotal += shUs;
            t3Total += t3Us;
        }
    }
    if (showLanguage.empty()) {
        const int asked = int(sizeof kLanguages / sizeof kLanguages[0]);
        std::printf("languages_asked=%d\n", asked);
        std::printf("sourcehighlight_languages=%d\n", shCount);
        std::printf("t3highlight_languages=%d\n", t3Count);
        if (both) {
            std::printf("sourcehighlight_mean_us_per_line_common=%.2f\n", shTotal / both);
            std::printf("t3highlight_mean_us_per_line_common=%.2f\n", t3Total / both);
        }
    }
    return 0;
}
