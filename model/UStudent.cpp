#include "model/UStudent.h"

namespace tervanix {

// Two-sided critical values t(1 - a/2, df) for a = 5%, 2%, 1%, 0.5%, 0.2%, as tabulated in the
// statistics handbooks: df 1..30, then 40, 60, 120 and infinity.
const std::array<std::array<long double, 34>, RiskCount> StudentTable = {{
    {12.706L, 4.3027L, 3.1825L, 2.7764L, 2.5706L, 2.4469L, 2.3646L, 2.306L,  2.2622L, 2.2281L, 2.201L,  2.1788L,
     2.1604L, 2.1448L, 2.1315L, 2.1199L, 2.1098L, 2.1009L, 2.093L,  2.086L,  2.0796L, 2.0739L, 2.0687L, 2.0639L,
     2.0595L, 2.0555L, 2.0518L, 2.0484L, 2.0452L, 2.0423L, 2.0211L, 2.0003L, 1.9799L, 1.96L},
    {31.821L, 6.965L, 4.541L, 3.747L, 3.365L, 3.143L, 2.998L, 2.896L, 2.821L, 2.764L, 2.718L, 2.681L,
     2.65L,   2.624L, 2.602L, 2.583L, 2.567L, 2.552L, 2.539L, 2.528L, 2.518L, 2.508L, 2.5L,   2.492L,
     2.485L,  2.479L, 2.473L, 2.467L, 2.462L, 2.457L, 2.423L, 2.39L,  2.358L, 2.326L},
    {63.657L, 9.9248L, 5.8409L, 4.6041L, 4.0321L, 3.7074L, 3.4995L, 3.3554L, 3.2498L, 3.1693L, 3.1058L, 3.0545L,
     3.0123L, 2.9768L, 2.9467L, 2.9207L, 2.8982L, 2.8784L, 2.8609L, 2.8453L, 2.8314L, 2.8188L, 2.8073L, 2.7969L,
     2.7874L, 2.7787L, 2.7707L, 2.7633L, 2.7564L, 2.75L,   2.7045L, 2.6603L, 2.6175L, 2.5758L},
    {127.32L, 14.089L, 7.4533L, 5.5976L, 4.7733L, 4.3168L, 4.0293L, 3.8325L, 3.6897L, 3.5814L, 3.4966L, 3.4284L,
     3.3725L, 3.3257L, 3.286L,  3.252L,  3.2225L, 3.1966L, 3.1737L, 3.1534L, 3.1352L, 3.1188L, 3.104L,  3.0905L,
     3.0782L, 3.0669L, 3.0565L, 3.0469L, 3.038L,  3.0298L, 2.9713L, 2.9146L, 2.8599L, 2.807L},
    {318.31L, 22.326L, 10.213L, 7.173L, 5.893L, 5.208L, 4.785L, 4.501L, 4.297L, 4.144L, 4.025L, 3.93L,
     3.852L,  3.787L,  3.733L,  3.686L, 3.646L, 3.61L,  3.579L, 3.552L, 3.527L, 3.505L, 3.485L, 3.467L,
     3.45L,   3.435L,  3.421L,  3.408L, 3.396L, 3.385L, 3.307L, 3.232L, 3.16L,  3.09L},
}};

long double StudentFactor(TRiskIndex risk, std::int32_t df) {
    const auto& row = StudentTable[risk < RiskCount ? risk : RiskCount - 1];
    const auto T = [&row](int column) { return row[static_cast<std::size_t>(column - 1)]; };
    constexpr int C30 = 30, C40 = 31, C60 = 32, C120 = 33, CInf = 34;
    if (df < 1) df = 1; // never reached by the statistics; keeps the table index valid
    if (df < 30) return T(df);
    if (df < 40) return T(C30) - (T(C30) - T(C40)) / 10 * (df - 30);
    if (df < 60) return T(C40) - (T(C40) - T(C60)) / 20 * (df - 40);
    if (df < 120) return T(C60) - (T(C60) - T(C120)) / 60 * (df - 60);
    return T(C120) - (T(C120) - T(CInf)) * (df - 120) / df;
}

const char* RiskPercentText(TRiskIndex risk) {
    static const char* const texts[RiskCount] = {"5 %", "2 %", "1 %", "0.5 %", "0.2 %"};
    return risk < RiskCount ? texts[risk] : "?";
}

} // namespace tervanix
