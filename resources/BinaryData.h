#pragma once

// The panel's artwork: one PNG file per array, compiled in from resources/images/.
// Images 9 and 20 do not exist.
namespace DEDEVUZIZ
{
extern const char* const temp_binary_data_0;
extern const int temp_binary_data_0Size;
extern const char* const temp_binary_data_1;
extern const int temp_binary_data_1Size;
extern const char* const temp_binary_data_2;
extern const int temp_binary_data_2Size;
extern const char* const temp_binary_data_3;
extern const int temp_binary_data_3Size;
extern const char* const temp_binary_data_4;
extern const int temp_binary_data_4Size;
extern const char* const temp_binary_data_5;
extern const int temp_binary_data_5Size;
extern const char* const temp_binary_data_6;
extern const int temp_binary_data_6Size;
extern const char* const temp_binary_data_7;
extern const int temp_binary_data_7Size;
extern const char* const temp_binary_data_8;
extern const int temp_binary_data_8Size;
extern const char* const temp_binary_data_10;
extern const int temp_binary_data_10Size;
extern const char* const temp_binary_data_11;
extern const int temp_binary_data_11Size;
extern const char* const temp_binary_data_12;
extern const int temp_binary_data_12Size;
extern const char* const temp_binary_data_13;
extern const int temp_binary_data_13Size;
extern const char* const temp_binary_data_14;
extern const int temp_binary_data_14Size;
extern const char* const temp_binary_data_15;
extern const int temp_binary_data_15Size;
extern const char* const temp_binary_data_16;
extern const int temp_binary_data_16Size;
extern const char* const temp_binary_data_17;
extern const int temp_binary_data_17Size;
extern const char* const temp_binary_data_18;
extern const int temp_binary_data_18Size;
extern const char* const temp_binary_data_19;
extern const int temp_binary_data_19Size;
extern const char* const temp_binary_data_21;
extern const int temp_binary_data_21Size;
extern const char* const temp_binary_data_22;
extern const int temp_binary_data_22Size;
extern const char* const temp_binary_data_23;
extern const int temp_binary_data_23Size;
extern const char* const temp_binary_data_24;
extern const int temp_binary_data_24Size;
extern const char* const temp_binary_data_25;
extern const int temp_binary_data_25Size;
extern const char* const temp_binary_data_26;
extern const int temp_binary_data_26Size;
extern const char* const temp_binary_data_27;
extern const int temp_binary_data_27Size;
extern const char* const temp_binary_data_28;
extern const int temp_binary_data_28Size;
extern const char* const temp_binary_data_29;
extern const int temp_binary_data_29Size;
extern const char* const temp_binary_data_30;
extern const int temp_binary_data_30Size;
extern const char* const temp_binary_data_31;
extern const int temp_binary_data_31Size;
extern const char* const temp_binary_data_32;
extern const int temp_binary_data_32Size;
extern const char* const temp_binary_data_33;
extern const int temp_binary_data_33Size;
} // namespace DEDEVUZIZ
