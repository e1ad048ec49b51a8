#include "floor_matrices.h"

#include <cmath>

void TranslationMatrix(float x, float y, float z, float* m) {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void PerspectiveMatrix(float fieldOfView, float aspect, float nearPlane, float farPlane,
                       float* m) {
    for (int i = 0; i < 16; ++i) m[i] = 0.0f;
    const float halfTangent = std::tan(fieldOfView / 2.0f);
    m[0] = 1.0f / (aspect * halfTangent);
    m[5] = 1.0f / halfTangent;
    m[10] = farPlane / (farPlane - nearPlane);
    m[11] = 1.0f;
    m[14] = farPlane * nearPlane / (nearPlane - farPlane);
}

void SetMatrixConstant(IDirect3DDevice9* device, UINT reg, const float* m, bool columnMajor) {
    if (!columnMajor) {
        device->SetVertexShaderConstantF(reg, m, 4);
        return;
    }
    float transposed[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) transposed[c * 4 + r] = m[r * 4 + c];
    }
    device->SetVertexShaderConstantF(reg, transposed, 4);
}
