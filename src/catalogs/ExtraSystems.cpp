#include "catalogs/ExtraSystems.h"

namespace tc {

namespace {

constexpr ExtraSystem kSystems[] = {
    {93, "Доп.устройства"}, {8, "Иммо АПС-4"}, {10, "Иммо АПС-6"}, {11, "Иммо АПС-6.1Люкс"}, {12, "Отопитель/Климат"},
    {13, "ЭМУР Калуга"}, {14, "ЭМУР Махачкала"}, {15, "ЭМУР Mando"}, {16, "СНПБ (подушки)"}, {17, "Электропак.Приора"},
    {18, "Электропак.Норма"}, {19, "Электропак.Люкс"}, {20, "МДВ Калина Люкс"}, {21, "ABS 5.3"}, {22, "ABS 8/9"},
    {23, "ABS 9У"}, {24, "Бл.Упр.Стеклоочист."}, {26, "СНПБ Ш-Н(подушки)"}, {31, "Электропакет УАЗ"},
    {32, "Пульт клим.уст.УАЗ"}, {34, "UAZ AWD Dymos"}, {35, "UAZ AWD Dymos2"}, {51, "ABS Largus"}, {52, "ЭП Largus"},
    {66, "Электропак. УАЗ 1"}, {67, "Под.Нива TRW"}, {68, "Под.Нива Siemens"}, {116, "Duster ABS 1"},
    {117, "Duster подушки 1"}, {118, "Duster ЭМУР 1"}, {25, "Таката (подушки)"}, {27, "Bosch ESP9"},
    {28, "Bosch ABS/ESP9"}, {29, "АКПП Jatco AY-K3"}, {30, "Электропакет Гранта"}, {36, "Клим.уст. Visteon"},
    {37, "АКПП AMT ZF 2180"}, {38, "ABS Ford"}, {39, "АКПП Ford"}, {40, "HEC (приборка) Ford"}, {41, "ЭГУР Ford"},
    {42, "HCM (фары) Ford"}, {43, "FACM (впрыск) Ford"}, {44, "AWD Ford"}, {45, "АКПП Niss2"}, {46, "CVT Outlander"},
    {47, "АКПП Pajero"}, {48, "АКПП Captiva"}, {49, "АКПП SsangYong"}, {50, "АКПП Hover H5"}, {53, "АКПП Niss3"},
    {54, "АКПП Outl 3.0"}, {55, "Веста ABS9"}, {56, "Веста под.Takata"}, {57, "Веста приб.панель"}, {58, "Веста ЭМУР"},
    {59, "Веста ЭП BCM"}, {60, "Веста ЭП EMM"}, {61, "X-Ray ABS 9.1"}, {62, "X-Ray EPS"}, {63, "X-Ray приб.панель"},
    {64, "X-Ray ЭП BCM"}, {65, "X-Ray подушки"}, {69, "АКПП Hyund/Kia"}, {71, "АКПП Mazda1"}, {72, "АКПП Mazda23"},
    {73, "АКПП Suzuki1"}, {74, "CVT Outlander16"}, {75, "АКПП Astra"}, {76, "Климат.Valeo"}, {77, "Bosch ESP9.1"},
    {78, "HV ECU Estima20"}, {79, "HV Battery Prius2"}, {80, "HV ECU Prius3"}, {140, "HV ECU Prius5"},
    {81, "Климат Тойота"}, {82, "HV ECU Aqua"}, {84, "HV ECU RX450H"}, {85, "HV ECU ES300H"}, {115, "HV ECU RX400H"},
    {119, "HV ECU Camry5"}, {141, "HV ECU Camry4"}, {120, "HV ECU Sai"}, {121, "HV ECU Harrier"},
    {130, "HV control Prius2"}, {143, "HV ECU GS450H"}, {131, "Сист.рекупер.2"}, {136, "Подушки Тойота"},
    {142, "HV ECU Prius51"}, {134, "HV ECU Prius35"}, {149, "ECU Estima10"}, {145, "HV contr.Estima10"},
    {144, "HV batt.Estima10"}, {150, "HV ECU Prius52"}, {151, "MotGen Prius51"}, {83, "Веста Эра-Глонас"},
    {86, "АКПП Niss4"}, {87, "АКПП Niss1"}, {88, "АКПП Chery QR019"}, {89, "АКПП Kuga1"}, {133, "АКПП Kuga2"},
    {90, "АКПП Niss5"}, {91, "АКПП Suzuki2"}, {92, "АКПП Suzuki3"}, {94, "Duster Упр.впрыском"}, {95, "Duster ABS"},
    {96, "Duster приборка"}, {97, "Duster ЦЭКБС"}, {98, "Duster подушки"}, {99, "Duster климат"}, {100, "Duster АКПП"},
    {101, "Duster ЭМУР"}, {102, "Duster коммутация"}, {103, "Duster полн.привод"}, {104, "Duster Радио"},
    {105, "Duster телематика"}, {106, "Duster HandsFree"}, {107, "Duster Multimedia"}, {108, "CVT Patriot"},
    {109, "АКПП Hyund/Kia3"}, {110, "АКПП A13 Bonus/Very"}, {111, "АКПП Chery A16 Arr 3"}, {112, "CVT Geely Emgr EC7"},
    {113, "CVT Punch VT2"}, {114, "CVT TCU"}, {122, "Creta конд."}, {123, "Creta ус.руля"}, {124, "Creta ABS"},
    {125, "Creta подушки"}, {126, "Creta ЭП BCM"}, {127, "Creta приборка"}, {128, "Creta смарт-ключ"},
    {129, "Creta соед.блок"}, {132, "АКПП Hyund/Kia3"}, {137, "АКПП Punch 6L60"}, {139, "ABS Тойота"},
    {138, "УАЗ селектор АКПП"}, {146, "Рено саж.фильтр"}, {147, "АКПП Volvo XC60"}, {148, "АКПП Skoda"}, {152, "ABS APG"},
    {153, "TPMS HyundKia1"}, {154, "TPMS HyundKia2"}, {155, "TPMS Peugeot"}, {156, "TPMS Mazda"}, {157, "TPMS Mitsu"},
    {158, "TPMS Opel"}, {159, "TPMS Renault"}, {160, "TPMS Suzuki"}, {161, "TPMS Toyota"}, {162, "TPMS Ford"},
    {163, "TPMS Honda"}, {164, "TPMS Jeep"}, {165, "TPMS ToyotaK1"}, {166, "TPMS ToyotaK2"}, {167, "TPMS ToyotaK3"},
    {168, "TPMS ToyotaK4"}, {169, "TPMS ToyotaK5"}, {170, "АКПП Nissan Path"}, {171, "HV ECU Highlander7"},
    {172, "ABS Toyota2"}, {173, "Подушки Тойота2"}, {174, "Климат Тойота2"}, {175, "HV ECU Harr8.1"},
    {176, "Mot-Gen Inv H8.1"}, {177, "CVT18(Vesta)"}, {178, "ABS Kesens C102"}, {179, "SRS Counti-0954"},
    {180, "ABS Itelma"}, {181, "АКПП Accord2"}, {182, "BCM Itelm.Granta"}, {183, "BCM Itelm.Vesta"}, {184, "БДФКЭ Vesta"},
};

} // namespace

std::span<const ExtraSystem> ExtraSystemCatalog()
{
    return kSystems;
}

const ExtraSystem* FindExtraSystem(int code)
{
    for (const ExtraSystem& s : kSystems)
        if (s.code == code)
            return &s;
    return nullptr;
}

} // namespace tc
