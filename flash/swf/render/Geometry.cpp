#include "Geometry.h"

#include <algorithm>
#include <cmath>

#include "Pixels.h"

namespace swf::render {

Transform2D Transform2D::FromMatrix(const swf::Matrix& M)
{
    Transform2D T;
    if (M.HasScale) {
        T.A = M.ScaleX / 65536.0;
        T.D = M.ScaleY / 65536.0;
    }
    if (M.HasRotate) {
        T.B = M.RotateSkew0 / 65536.0;
        T.C = M.RotateSkew1 / 65536.0;
    }
    T.Tx = M.TranslateX;
    T.Ty = M.TranslateY;
    return T;
}

std::optional<Transform2D> Transform2D::Inverse() const
{
    const double Det = Determinant();
    if (!std::isfinite(Det) || std::fabs(Det) < 1e-12)
        return std::nullopt;
    Transform2D I;
    I.A = D / Det;
    I.B = -B / Det;
    I.C = -C / Det;
    I.D = A / Det;
    I.Tx = -(I.A * Tx + I.C * Ty);
    I.Ty = -(I.B * Tx + I.D * Ty);
    return I;
}

Transform2D Transform2D::operator*(const Transform2D& I) const
{
    return {A * I.A + C * I.B, B * I.A + D * I.B, A * I.C + C * I.D, B * I.C + D * I.D,
            A * I.Tx + C * I.Ty + Tx, B * I.Tx + D * I.Ty + Ty};
}

ColorXform ColorXform::FromCxForm(const swf::CxForm& X)
{
    ColorXform C;
    if (X.HasMult) {
        C.RMult = X.RedMult / 256.0;
        C.GMult = X.GreenMult / 256.0;
        C.BMult = X.BlueMult / 256.0;
        C.AMult = X.AlphaMult / 256.0;
    }
    if (X.HasAdd) {
        C.RAdd = X.RedAdd;
        C.GAdd = X.GreenAdd;
        C.BAdd = X.BlueAdd;
        C.AAdd = X.AlphaAdd;
    }
    return C;
}

bool ColorXform::IsIdentity() const { return *this == ColorXform{}; }

ColorXform ColorXform::operator*(const ColorXform& I) const
{
    return {RMult * I.RMult, GMult * I.GMult, BMult * I.BMult, AMult * I.AMult,
            RMult * I.RAdd + RAdd, GMult * I.GAdd + GAdd, BMult * I.BAdd + BAdd, AMult * I.AAdd + AAdd};
}

static uint8_t Channel(double V, double Mult, double Add)
{
    return static_cast<uint8_t>(std::clamp(std::lround(V * Mult + Add), 0L, 255L));
}

swf::Rgba ColorXform::Apply(swf::Rgba S) const
{
    return {Channel(S.R, RMult, RAdd), Channel(S.G, GMult, GAdd), Channel(S.B, BMult, BAdd), Channel(S.A, AMult, AAdd)};
}

uint32_t ColorXform::ApplyPremultiplied(uint32_t Argb) const
{
    return Premultiply(Apply(Unpremultiply(Argb)));
}

}  // namespace swf::render
