// The three matrices of one draw, worked out with D3DX as the frame does (frame.cpp).
#pragma once

#include <d3dx9.h>

#include "graphics/graphics.h"

struct DrawTransforms {
    D3DXMATRIX worldToView;
    D3DXMATRIX viewToScreen;
    D3DXMATRIX modelToWorld;
};

// For a mesh at `position` seen by `camera`.
DrawTransforms TransformsFor(const Camera& camera, const Vector3& position);
