// Resource ids shared by tessoid.rc and the code that loads the resources.
// Plain defines, so the resource compiler reads this file too.
#pragma once

#define IDD_PROPERTY_PAGE 106
#define IDB_TYPE_PICTURE 107
#define IDD_SELECT_MESH 109
#define IDB_TETRAHEDRON 123
#define IDB_CUBE 124
#define IDB_OCTAHEDRON 125
#define IDB_DODECAHEDRON 126
#define IDB_ICOSAHEDRON 127
#define IDI_TESSOID 5000

// Property page controls.
#define IDC_SOURCE_FILE 1000
#define IDC_VERTEX_COUNT 1001
#define IDC_FACE_COUNT 1002
#define IDC_SMOOTH_ANGLE 1003
#define IDC_INVERT 5001

// "Select Predefined Mesh" buttons; Cancel is IDCANCEL.
#define IDC_TETRAHEDRON 1013
#define IDC_CUBE 1014
#define IDC_OCTAHEDRON 1015
#define IDC_DODECAHEDRON 1016
#define IDC_ICOSAHEDRON 1017
#define IDC_CURRENT_OBJECT 1018

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
