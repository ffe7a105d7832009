// Matrix operations too large to inline.
#include "core/matrix.h"

#include <cmath>
#include <utility>

namespace qelt
{

// Gauss-Jordan elimination with partial pivoting on [a | I].
bool inverse(const cMatrix4f& a, cMatrix4f& out)
{
    cMatrix4f work = a;
    cMatrix4f result = cMatrix4f::identity();
    for (int column = 0; column < 4; ++column)
    {
        int pivot = column;
        for (int row = column + 1; row < 4; ++row)
            if (std::fabs(work(row, column)) > std::fabs(work(pivot, column)))
                pivot = row;
        const float p = work(pivot, column);
        if (!(std::fabs(p) > 1e-12f))
            return false;
        if (pivot != column)
            for (int k = 0; k < 4; ++k)
            {
                std::swap(work(pivot, k), work(column, k));
                std::swap(result(pivot, k), result(column, k));
            }
        for (int k = 0; k < 4; ++k)
        {
            work(column, k) /= p;
            result(column, k) /= p;
        }
        for (int row = 0; row < 4; ++row)
        {
            if (row == column)
                continue;
            const float f = work(row, column);
            for (int k = 0; k < 4; ++k)
            {
                work(row, k) -= f * work(column, k);
                result(row, k) -= f * result(column, k);
            }
        }
    }
    out = result;
    return true;
}

} // namespace qelt
