// Symbolic ids of vkCert's resources: string table entries, commands, menus,
// accelerators, dialog templates, their controls, icons and bitmaps.
// Shared by the resource scripts (res/*.rc) and the program's C++ code.
// One number may name resources of different types (string 189 and menu 189,
// string 198 and dialog 198, ...); each type has its own name here.
#ifndef VKCERT_RES_RESOURCE_H
#define VKCERT_RES_RESOURCE_H

// ---------------------------------------------------------------------------
// Main frame: menu, accelerator table, program icon and window title (string)
#define IDR_MAINFRAME 128

// Context menus of the tree nodes (one submenu each)
#define IDR_CERTIFICATE_MENU 189
#define IDR_CONTAINER_MENU 229
#define IDR_TOKEN_MENU 231

// ---------------------------------------------------------------------------
// Commands; the string of the same id is "status prompt\ntooltip"
#define ID_FILE_EXIT 136
#define ID_VIEW_REFRESH 137
#define ID_VIEW_SWITCH_LANGUAGE 139
#define ID_VIEW_STATUS_BAR 166
#define ID_VIEW_TOOLBAR 185
#define ID_ACTIONS_EXPORT_CERT 190
#define ID_VIEW_SHOW_CONTAINERS 203
#define ID_ACTIONS_IMPORT_CERT 205
#define ID_ACTIONS_LOGIN 214
#define ID_ACTIONS_LOGOUT 215
#define ID_TAB_PANE 32773
#define ID_ACTIONS_ADD_TO_STORE 32775
#define ID_ACTIONS_REMOVE_FROM_STORE 32779
#define ID_ACTIONS_DELETE_CONTAINER 32785
#define ID_ACTIONS_SET_DEFAULT 32794
#define ID_ACTIONS_REMOVE_DEFAULT 32796
#define ID_HELP_CONTENTS 32804
#define ID_HELP_INDEX 32805
#define ID_HELP_SEARCH 32806
// Framework commands
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_APP_ABOUT 57664
#define ID_HELP 57670
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681

// Framework control ids of the main frame
#define AFX_IDW_TOOLBAR 59392
#define AFX_IDW_STATUS_BAR 59393
#define AFX_IDW_PANE_FIRST 59648

// ---------------------------------------------------------------------------
// Status bar indicators (string table ids)
#define ID_INDICATOR_ACCESS 171
#define ID_INDICATOR_MESSAGE 172
#define ID_INDICATOR_TOKEN_ID 173
#define ID_INDICATOR_FREE_BYTES 174

// ---------------------------------------------------------------------------
// Strings
#define IDS_COM_INIT_FAILED 100
#define IDS_VALID_FROM 129
#define IDS_VALID_TO 130
#define IDS_SERIAL_NUMBER 131
#define IDS_SETTINGS_KEY 135
#define IDS_COLUMN_PROPERTY 150
#define IDS_COLUMN_VALUE 151
#define IDS_CERT_VERSION 152
#define IDS_CERT_ALGORITHM 153
#define IDS_CERT_ISSUER 154
#define IDS_CERT_SUBJECT 155
#define IDS_CERT_PUBLIC_KEY 156
#define IDS_TOKEN_NAME 157
#define IDS_TOKEN_TYPE 158
#define IDS_TOKEN_ID 159
#define IDS_READING_TOKEN_CONTAINERS 160
#define IDS_READING_CONTAINER_CERTS 161
#define IDS_TOKEN_VERSION 162
#define IDS_TOKEN_PROTOCOL 163
#define IDS_TOKEN_MICROPROGRAM 164
#define IDS_TOKEN_FREE_MEMORY 165
#define IDS_READING_TOKEN_INFO 167
#define IDS_UPDATING_TOKEN_LIST 168
#define IDS_EXPORT_SUCCEEDED 169
#define IDS_EXPORT_FAILED 170
#define IDS_ROLE_GUEST 175
#define IDS_ROLE_ADMIN 176
#define IDS_ROLE_USER 177
#define IDS_LOADING_KEY_INFO 179
#define IDS_OPEN_FILE_FAILED 180
#define IDS_ASSIGN_CERT_FAILED 181
#define IDS_ASSIGNING_CERT 182
#define IDS_IMPORT_DIALOG_TITLE 183
#define IDS_STORE_ADD_SUCCEEDED 184
#define IDS_STORE_ADD_FAILED 186
#define IDS_STORE_REMOVE_FAILED 187
#define IDS_STORE_REMOVE_SUCCEEDED 188
#define IDS_CONFIRM_DELETE_CONTAINER 189
#define IDS_FILTER_EXPORT 191
#define IDS_FILTER_IMPORT 192
#define IDS_REMOVING_CONTAINER 193
#define IDS_FILTER_PFX 194
#define IDS_PFX_READ_FAILED 195
#define IDS_PFX_PARSE_FAILED 196
#define IDS_PFX_NO_CERTIFICATE 197
#define IDS_PFX_IMPORT_SUCCEEDED 198
#define IDS_EXPORT_DIALOG_TITLE 199
#define IDS_CONFIRM_OVERWRITE 200
#define IDS_PFX_IMPORTING 201
#define IDS_PFX_IMPORT_FAILED 202
#define IDS_FILTER_IMPORT_PFX 204
#define IDS_PFX_WRONG_PASSWORD 207
#define IDS_PFX_IMPORT_TITLE 208
#define IDS_FILTER_EXPORT_PFX 209
#define IDS_PFX_LOAD_KEY_FAILED 210
#define IDS_PFX_EXPORT_FAILED 211
#define IDS_PFX_EXPORT_SUCCEEDED 212
#define IDS_PFX_EXPORT_TITLE 213
#define IDS_LOADING_TOKEN_INFO 217
#define IDS_PFX_PASSWORD_TOO_LONG 219
#define IDS_PFX_EXPORT_PASSWORD_TEXT 220
#define IDS_PFX_IMPORT_PASSWORD_TEXT 221
#define IDS_SET_DEFAULT_SUCCEEDED 222
#define IDS_SET_DEFAULT_FAILED 223
#define IDS_REMOVE_DEFAULT_SUCCEEDED 224
#define IDS_REMOVE_DEFAULT_FAILED 225
#define IDS_SETTING_DEFAULT 226
#define IDS_REMOVING_DEFAULT 227
#define IDS_INSTANCE_NAME 228
#define IDS_PRODUCT_WORD 229
#define IDS_PROVIDER_NAME 230
#define IDS_HELP_CAPTION 231
#define IDS_PIN_POLICY 232
#define IDS_POLICY_USER_ADMIN 233
#define IDS_SHA1_THUMBPRINT 234
#define IDS_MD5_THUMBPRINT 235
#define IDS_MODEL_MINI 250
#define IDS_STORE_FILE_DAMAGED 261
#define IDS_PFX_UNPACKING 270
#define IDS_PFX_EMPTY_CONTAINER_NAME 271
#define IDS_HELP_FILE_MISSING 290
#define IDS_HELP_FILE_DAMAGED 291
#define IDS_HELP_TAB_CONTENTS 292
#define IDS_HELP_TAB_INDEX 293
#define IDS_HELP_TAB_SEARCH 294
#define IDS_HELP_BACK 295
#define IDS_HELP_FORWARD 296
#define IDS_HELP_LOOK_FOR 297
#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345

// ---------------------------------------------------------------------------
// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_CONTAINER_VIEW 106
#define IDD_CERTIFICATE_VIEW 107
#define IDD_TOKEN_VIEW 108
#define IDD_FILE_DIALOG_TEXTS 197
#define IDD_KEY_VIEW 198
#define IDD_TREE_VIEW 222
#define IDD_PFX_IMPORT_PASSWORD 230
#define IDD_PFX_IMPORT_ERROR 233
#define IDD_PFX_IMPORT_CONTAINER 234
#define IDD_PFX_IMPORT_SUCCESS 235
#define IDD_PFX_IMPORT_PROGRESS 236
#define IDD_PFX_EXPORT_PASSWORD 237
#define IDD_PFX_EXPORT_ERROR 239
#define IDD_PFX_EXPORT_PROGRESS 240
#define IDD_PFX_EXPORT_SUCCESS 241

// ---------------------------------------------------------------------------
// Icons and bitmaps (image files named by these ids)
#define IDI_ROW_THUMBPRINT 130
#define IDI_CONTAINER 163
#define IDI_TOKEN 164
#define IDI_KEY_CERT 165
#define IDI_ROW_TEXT 170
#define IDB_CONTAINER_VIEW 176
#define IDB_CERTIFICATE_VIEW 177
#define IDI_ROW_EXTENSION 181
#define IDB_TOOLBAR 184
#define IDB_TOKEN_VIEW 188
#define IDI_KEY_NO_CERT 208
#define IDB_KEY_VIEW 210
#define IDB_TOOLBAR_DISABLED 223
#define IDI_KEY_CERT_REGISTERED 224
#define IDI_PFX_EXPORT 242
#define IDI_PFX_IMPORT 243
#define IDB_WIZARD 244
// Embedded help file (type "BINARY")
#define IDR_HELP_FILE 245

// ---------------------------------------------------------------------------
// Controls
// Children of the list widget of the property views
#define IDC_LIST_PART 123
#define IDC_DETAIL_PART 124
// Key and certificate views (198, 107)
#define IDC_VIEW_HEADER 1008
#define IDC_VIEW_SEPARATOR 1014
#define IDC_PROPERTY_LIST 1040
#define IDC_KEY_PICTURE 1063
// Container view (106)
#define IDC_CONTAINER_HEADER 1036
#define IDC_CONTAINER_PICTURE 1042
#define IDC_CONTAINER_AREA 1044
#define IDC_CONTAINER_SEPARATOR 1045
// Token view (108)
#define IDC_TOKEN_SEPARATOR 1047
#define IDC_TOKEN_HEADER 1048
#define IDC_TOKEN_LIST 1049
#define IDC_NO_TOKEN_TEXT 1051
#define IDC_TOKEN_PICTURE 1052
// Tree view (222)
#define IDC_TREE 1064
// About dialog (100)
#define IDC_MODULE_LIST 1030
#define IDC_COLUMN_FILE_NAME 1031
#define IDC_COLUMN_VERSION 1032
#define IDC_COLUMN_DESCRIPTION 1033
#define IDC_VERSION_TEXT 1072
#define IDC_LEGAL_TEXT 1088
// Texts for the file dialogs (197)
#define IDC_TEXT_FILES_OF_TYPE 1056
#define IDC_TEXT_LOOK_IN 1057
#define IDC_TEXT_FILE_NAME 1058
#define IDC_TEXT_CANCEL 1060
#define IDC_TEXT_HELP 1061
#define IDC_TEXT_OK 1062
// Wizard pages (230, 233 to 237, 239 to 241)
#define IDC_BACK 1077
#define IDC_PASSWORD 1069
#define IDC_CONFIRM_PASSWORD 1070
#define IDC_IMP_ERROR_TEXT 1076
#define IDC_IMP_SUCCESS_TEXT 1078
#define IDC_CONTAINER_NAME 1079
#define IDC_UNIQUE_NAME 1080
#define IDC_IMP_PROGRESS_TEXT 1081
#define IDC_ENABLE_EXPORT 1082
#define IDC_IMP_PASSWORD_TEXT 1086
#define IDC_EXP_PASSWORD_TEXT 1008
#define IDC_EXP_LOADING_TEXT 1078
#define IDC_EXP_ERROR_TEXT 1084
#define IDC_EXP_SUCCESS_TEXT 1085

#endif
