#include "mathsymbols.h"

#include <QHash>

namespace vexa::math {
namespace {

using A = AtomClass;

constexpr SymbolInfo kSymbols[] = {
    // Greek, lower case
    {"alpha", 0x3B1, A::Ord, "альфа"}, {"beta", 0x3B2, A::Ord, "бета"},
    {"gamma", 0x3B3, A::Ord, "гамма"}, {"delta", 0x3B4, A::Ord, "дельта"},
    {"epsilon", 0x3F5, A::Ord, "эпсилон"}, {"varepsilon", 0x3B5, A::Ord, "эпсилон"},
    {"zeta", 0x3B6, A::Ord, "дзета"}, {"eta", 0x3B7, A::Ord, "эта"},
    {"theta", 0x3B8, A::Ord, "тета"}, {"vartheta", 0x3D1, A::Ord, "тета"},
    {"iota", 0x3B9, A::Ord, "йота"}, {"kappa", 0x3BA, A::Ord, "каппа"},
    {"lambda", 0x3BB, A::Ord, "лямбда"}, {"mu", 0x3BC, A::Ord, "мю"},
    {"nu", 0x3BD, A::Ord, "ню"}, {"xi", 0x3BE, A::Ord, "кси"}, {"pi", 0x3C0, A::Ord, "пи"},
    {"varpi", 0x3D6, A::Ord, "пи"}, {"rho", 0x3C1, A::Ord, "ро"}, {"varrho", 0x3F1, A::Ord, "ро"},
    {"sigma", 0x3C3, A::Ord, "сигма"}, {"varsigma", 0x3C2, A::Ord, "сигма"},
    {"tau", 0x3C4, A::Ord, "тау"}, {"upsilon", 0x3C5, A::Ord, "ипсилон"},
    {"phi", 0x3D5, A::Ord, "фи"}, {"varphi", 0x3C6, A::Ord, "фи"},
    {"chi", 0x3C7, A::Ord, "хи"}, {"psi", 0x3C8, A::Ord, "пси"},
    {"omega", 0x3C9, A::Ord, "омега"},
    // Greek, upper case (upright)
    {"Gamma", 0x393, A::Ord, "гамма"}, {"Delta", 0x394, A::Ord, "дельта"},
    {"Theta", 0x398, A::Ord, "тета"}, {"Lambda", 0x39B, A::Ord, "лямбда"},
    {"Xi", 0x39E, A::Ord, "кси"}, {"Pi", 0x3A0, A::Ord, "пи"},
    {"Sigma", 0x3A3, A::Ord, "сигма"}, {"Upsilon", 0x3A5, A::Ord, "ипсилон"},
    {"Phi", 0x3A6, A::Ord, "фи"}, {"Psi", 0x3A8, A::Ord, "пси"},
    {"Omega", 0x3A9, A::Ord, "омега"},
    // Ordinary symbols
    {"infty", 0x221E, A::Ord, "бесконечность"}, {"partial", 0x2202, A::Ord, "частная производная"},
    {"nabla", 0x2207, A::Ord, "набла"}, {"hbar", 0x210F, A::Ord, "аш с чертой"},
    {"ell", 0x2113, A::Ord, "эль"}, {"emptyset", 0x2205, A::Ord, "пустое множество"},
    {"varnothing", 0x2205, A::Ord, "пустое множество"}, {"forall", 0x2200, A::Ord, "для всех"},
    {"exists", 0x2203, A::Ord, "существует"}, {"neg", 0xAC, A::Ord, "не"},
    {"lnot", 0xAC, A::Ord, "не"}, {"angle", 0x2220, A::Ord, "угол"},
    {"triangle", 0x25B3, A::Ord, "треугольник"}, {"degree", 0xB0, A::Ord, "градусов"},
    {"prime", 0x2032, A::Ord, "штрих"}, {"Re", 0x211C, A::Ord, "действительная часть"},
    {"Im", 0x2111, A::Ord, "мнимая часть"}, {"aleph", 0x2135, A::Ord, "алеф"},
    {"dots", 0x2026, A::Inner, "и так далее"}, {"ldots", 0x2026, A::Inner, "и так далее"},
    {"cdots", 0x22EF, A::Inner, "и так далее"}, {"vdots", 0x22EE, A::Ord, "и так далее"},
    {"ddots", 0x22F1, A::Ord, "и так далее"}, {"circ", 0x2218, A::Bin, "композиция"},
    {"bullet", 0x2219, A::Bin, "точка"}, {"star", 0x22C6, A::Bin, "звёздочка"},
    {"perp", 0x27C2, A::Rel, "перпендикулярно"}, {"parallel", 0x2225, A::Rel, "параллельно"},
    {"mid", 0x2223, A::Rel, "при условии"}, {"backslash", 0x5C, A::Ord, "обратная косая черта"},
    {"%", 0x25, A::Ord, "процентов"}, {"$", 0x24, A::Ord, "долларов"}, {"#", 0x23, A::Ord, "решётка"},
    {"&", 0x26, A::Ord, "и"}, {"_", 0x5F, A::Ord, "подчёркивание"},
    // Binary operators
    {"pm", 0xB1, A::Bin, "плюс-минус"}, {"mp", 0x2213, A::Bin, "минус-плюс"},
    {"times", 0xD7, A::Bin, "умножить на"}, {"div", 0xF7, A::Bin, "разделить на"},
    {"cdot", 0x22C5, A::Bin, "умножить на"}, {"ast", 0x2217, A::Bin, "звёздочка"},
    {"cup", 0x222A, A::Bin, "объединение"}, {"cap", 0x2229, A::Bin, "пересечение"},
    {"setminus", 0x2216, A::Bin, "без"}, {"wedge", 0x2227, A::Bin, "и"},
    {"land", 0x2227, A::Bin, "и"}, {"vee", 0x2228, A::Bin, "или"}, {"lor", 0x2228, A::Bin, "или"},
    {"oplus", 0x2295, A::Bin, "прямая сумма"}, {"otimes", 0x2297, A::Bin, "тензорное произведение"},
    // Relations
    {"le", 0x2264, A::Rel, "меньше или равно"}, {"leq", 0x2264, A::Rel, "меньше или равно"},
    {"ge", 0x2265, A::Rel, "больше или равно"}, {"geq", 0x2265, A::Rel, "больше или равно"},
    {"leqslant", 0x2A7D, A::Rel, "меньше или равно"}, {"geqslant", 0x2A7E, A::Rel, "больше или равно"},
    {"ne", 0x2260, A::Rel, "не равно"}, {"neq", 0x2260, A::Rel, "не равно"},
    {"approx", 0x2248, A::Rel, "приблизительно равно"}, {"sim", 0x223C, A::Rel, "подобно"},
    {"simeq", 0x2243, A::Rel, "асимптотически равно"}, {"cong", 0x2245, A::Rel, "конгруэнтно"},
    {"equiv", 0x2261, A::Rel, "тождественно равно"}, {"propto", 0x221D, A::Rel, "пропорционально"},
    {"ll", 0x226A, A::Rel, "много меньше"}, {"gg", 0x226B, A::Rel, "много больше"},
    {"in", 0x2208, A::Rel, "принадлежит"}, {"notin", 0x2209, A::Rel, "не принадлежит"},
    {"ni", 0x220B, A::Rel, "содержит"}, {"subset", 0x2282, A::Rel, "подмножество"},
    {"supset", 0x2283, A::Rel, "надмножество"}, {"subseteq", 0x2286, A::Rel, "подмножество"},
    {"supseteq", 0x2287, A::Rel, "надмножество"}, {"to", 0x2192, A::Rel, "стремится к"},
    {"rightarrow", 0x2192, A::Rel, "стрелка вправо"}, {"leftarrow", 0x2190, A::Rel, "стрелка влево"},
    {"gets", 0x2190, A::Rel, "стрелка влево"}, {"leftrightarrow", 0x2194, A::Rel, "стрелка в обе стороны"},
    {"Rightarrow", 0x21D2, A::Rel, "следовательно"}, {"Leftarrow", 0x21D0, A::Rel, "следует из"},
    {"Leftrightarrow", 0x21D4, A::Rel, "равносильно"}, {"iff", 0x27FA, A::Rel, "тогда и только тогда"},
    {"implies", 0x27F9, A::Rel, "следовательно"}, {"mapsto", 0x21A6, A::Rel, "отображается в"},
    {"longrightarrow", 0x27F6, A::Rel, "стрелка вправо"}, {"longleftarrow", 0x27F5, A::Rel, "стрелка влево"},
    {"Longrightarrow", 0x27F9, A::Rel, "следовательно"}, {"uparrow", 0x2191, A::Rel, "стрелка вверх"},
    {"downarrow", 0x2193, A::Rel, "стрелка вниз"}, {"rightleftharpoons", 0x21CC, A::Rel, "обратимая реакция"},
    {"leftrightarrows", 0x21C6, A::Rel, "обратимая реакция"},
    // Delimiters
    {"langle", 0x27E8, A::Open, "угловая скобка"}, {"rangle", 0x27E9, A::Close, "угловая скобка"},
    {"lfloor", 0x230A, A::Open, "целая часть"}, {"rfloor", 0x230B, A::Close, ""},
    {"lceil", 0x2308, A::Open, "потолок"}, {"rceil", 0x2309, A::Close, ""},
    {"{", 0x7B, A::Open, ""}, {"}", 0x7D, A::Close, ""}, {"lbrace", 0x7B, A::Open, ""},
    {"rbrace", 0x7D, A::Close, ""}, {"vert", 0x7C, A::Ord, "модуль"}, {"lvert", 0x7C, A::Open, "модуль"},
    {"rvert", 0x7C, A::Close, ""}, {"Vert", 0x2016, A::Ord, "норма"}, {"lVert", 0x2016, A::Open, "норма"},
    {"rVert", 0x2016, A::Close, ""}, {"|", 0x2016, A::Ord, "норма"},
    {"colon", 0x3A, A::Punct, "двоеточие"},
};

constexpr OperatorInfo kOperators[] = {
    {"sum", 0x2211, true, "сумма"}, {"prod", 0x220F, true, "произведение"},
    {"coprod", 0x2210, true, "копроизведение"}, {"bigcup", 0x22C3, true, "объединение"},
    {"bigcap", 0x22C2, true, "пересечение"}, {"bigoplus", 0x2A01, true, "прямая сумма"},
    {"int", 0x222B, false, "интеграл"}, {"iint", 0x222C, false, "двойной интеграл"},
    {"iiint", 0x222D, false, "тройной интеграл"}, {"oint", 0x222E, false, "контурный интеграл"},
    {"lim", 0, true, "предел"}, {"max", 0, true, "максимум"}, {"min", 0, true, "минимум"},
    {"sup", 0, true, "супремум"}, {"inf", 0, true, "инфимум"}, {"limsup", 0, true, "верхний предел"},
    {"liminf", 0, true, "нижний предел"}, {"det", 0, true, "определитель"},
    {"gcd", 0, true, "НОД"}, {"arg", 0, false, "аргумент"},
    {"sin", 0, false, "синус"}, {"cos", 0, false, "косинус"}, {"tan", 0, false, "тангенс"},
    {"tg", 0, false, "тангенс"}, {"cot", 0, false, "котангенс"}, {"ctg", 0, false, "котангенс"},
    {"sec", 0, false, "секанс"}, {"csc", 0, false, "косеканс"},
    {"arcsin", 0, false, "арксинус"}, {"arccos", 0, false, "арккосинус"},
    {"arctan", 0, false, "арктангенс"}, {"arctg", 0, false, "арктангенс"},
    {"sinh", 0, false, "гиперболический синус"}, {"cosh", 0, false, "гиперболический косинус"},
    {"tanh", 0, false, "гиперболический тангенс"}, {"exp", 0, false, "экспонента"},
    {"log", 0, false, "логарифм"}, {"ln", 0, false, "натуральный логарифм"},
    {"lg", 0, false, "десятичный логарифм"}, {"deg", 0, false, "степень"},
    {"dim", 0, false, "размерность"}, {"ker", 0, false, "ядро"}, {"Pr", 0, true, "вероятность"},
};

} // namespace

const SymbolInfo *findSymbol(QStringView name)
{
    for (const auto &s : kSymbols)
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

const OperatorInfo *findOperator(QStringView name)
{
    for (const auto &o : kOperators)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

const OperatorInfo *findOperator(char32_t code)
{
    for (const auto &o : kOperators)
        if (o.code == code)
            return &o;
    return nullptr;
}

std::optional<QString> readableColor(const QString &name)
{
    static const QHash<QString, QString> colors = {
        {"red", "#d0383b"}, {"blue", "#2f6fd6"}, {"green", "#2e9a48"}, {"orange", "#e07b1a"},
        {"purple", "#8a4fd0"}, {"violet", "#8a4fd0"}, {"magenta", "#c2399a"}, {"cyan", "#1f9fb3"},
        {"teal", "#1f8f86"}, {"brown", "#9a6233"}, {"gray", "#808890"}, {"grey", "#808890"},
        {"olive", "#7f8a2a"}, {"pink", "#d35f8d"}, {"black", ""}, {"white", ""},
    };
    const auto it = colors.constFind(name.trimmed().toLower());
    if (it == colors.cend())
        return std::nullopt;
    return *it;
}

std::optional<double> spaceWidth(QStringView name)
{
    static const QHash<QString, double> spaces = {
        {",", 3}, {":", 4}, {">", 4}, {";", 5}, {"!", -3}, {" ", 6}, {"quad", 18},
        {"qquad", 36}, {"enspace", 9}, {"thinspace", 3}, {"medspace", 4}, {"thickspace", 5},
        {"negthinspace", -3},
    };
    const auto it = spaces.constFind(name.toString());
    return it == spaces.cend() ? std::nullopt : std::optional<double>(*it);
}

std::optional<double> bigDelimiterSize(QStringView name)
{
    static const QHash<QString, double> bigs = {
        {"big", 1.08}, {"Big", 1.62}, {"bigg", 2.16}, {"Bigg", 2.7}, {"bigl", 1.08},
        {"Bigl", 1.62}, {"biggl", 2.16}, {"Biggl", 2.7}, {"bigr", 1.08}, {"Bigr", 1.62},
        {"biggr", 2.16}, {"Biggr", 2.7}, {"bigm", 1.08}, {"Bigm", 1.62}};
    const auto it = bigs.constFind(name.toString());
    return it == bigs.cend() ? std::nullopt : std::optional<double>(*it);
}

std::optional<std::pair<char32_t, bool>> accentFor(QStringView name)
{
    static const QHash<QString, std::pair<char32_t, bool>> accents = {
        {"hat", {0x302, false}}, {"widehat", {0x302, true}}, {"bar", {0x304, false}},
        {"vec", {0x20D7, false}}, {"dot", {0x307, false}}, {"ddot", {0x308, false}},
        {"tilde", {0x303, false}}, {"widetilde", {0x303, true}}, {"acute", {0x301, false}},
        {"grave", {0x300, false}}, {"check", {0x30C, false}}, {"breve", {0x306, false}},
        {"overrightarrow", {0x20D7, true}}, {"overleftarrow", {0x20D6, true}},
    };
    const auto it = accents.constFind(name.toString());
    return it == accents.cend() ? std::nullopt : std::optional<std::pair<char32_t, bool>>(*it);
}

AtomClass classOf(char32_t c)
{
    switch (c) {
    case '+': case '-': case '*': case 0x2212: return A::Bin;
    case '=': case '<': case '>': case ':': return A::Rel;
    case '(': case '[': return A::Open;
    case ')': case ']': return A::Close;
    case ',': case ';': return A::Punct;
    case '!': case '?': return A::Close;
    case '|': case '/': case '.': return A::Ord; // |x| has no class of its own in TeX
    default: break;
    }
    for (const auto &s : kSymbols)
        if (s.code == c && s.atom != A::Ord)
            return s.atom;
    return A::Ord;
}

QString spokenChar(char32_t c)
{
    switch (c) {
    case '+': return QStringLiteral("плюс");
    case '-': case 0x2212: return QStringLiteral("минус");
    case '=': return QStringLiteral("равно");
    case '<': return QStringLiteral("меньше");
    case '>': return QStringLiteral("больше");
    case '*': return QStringLiteral("умножить на");
    case '/': return QStringLiteral("разделить на");
    case '!': return QStringLiteral("факториал");
    case '(': case ')': case '[': case ']': case '{': case '}': case '.': return {};
    case ',': return QStringLiteral(",");
    case '|': return QStringLiteral("модуль");
    case 0x2032: return QStringLiteral("штрих");
    default: break;
    }
    for (const auto &s : kSymbols)
        if (s.code == c)
            return QString::fromUtf8(s.spoken);
    return {};
}

} // namespace vexa::math
