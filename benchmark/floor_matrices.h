// The floor's matrices, worked out inline in the D3DXMATRIX layout (row-major, points as
// row vectors, translation in the fourth row) and written straight into shader registers.
// Not the program's TransformsFor on purpose: the least arithmetic a draw needs, against
// which the program's D3DX calls are measured.
#pragma once

#include <d3d9.h>

void TranslationMatrix(float x, float y, float z, float* m);
// Left-handed, vertical field of view, the same arithmetic as D3DXMatrixPerspectiveFovLH.
void PerspectiveMatrix(float fieldOfView, float aspect, float nearPlane, float farPlane,
                       float* m);
// Four vertex shader registers from `reg`; transposed when the shader reads columns.
void SetMatrixConstant(IDirect3DDevice9* device, UINT reg, const float* m, bool columnMajor);
