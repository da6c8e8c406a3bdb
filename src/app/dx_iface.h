// dx_iface: the reader adapter that keeps everything libdxfrw delivers in a DxfDrawingData.
#pragma once

#include <libdxfrw.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// A block definition with its own entities, in file order; the block owns them.
class dx_ifaceBlock : public DRW_Block {
public:
    dx_ifaceBlock() = default;
    explicit dx_ifaceBlock(const DRW_Block& block) : DRW_Block(block) {}

    std::vector<std::unique_ptr<DRW_Entity>> ent;
};

// An image entity with the path of its image file.
class dx_ifaceImg : public DRW_Image {
public:
    explicit dx_ifaceImg(const DRW_Image& image) : DRW_Image(image) {}

    std::string path;
};

// The drawing of one file as read: header, tables, blocks, images and the model space.
struct DxfDrawingData {
    DxfDrawingData() : mBlock(std::make_unique<dx_ifaceBlock>()) {}

    DRW_Header headerC;
    // True once the file's header section was read.
    bool hasHeader = false;
    std::vector<DRW_LType> lineTypes;
    std::vector<DRW_Layer> layers;
    std::vector<DRW_Dimstyle> dimStyles;
    std::vector<DRW_Vport> VPorts;
    std::vector<DRW_Textstyle> textStyles;
    std::vector<DRW_AppId> appIds;
    std::vector<std::unique_ptr<dx_ifaceBlock>> blocks;
    // Every image entity; the entity lists hold copies of their own.
    std::vector<std::unique_ptr<dx_ifaceImg>> images;
    // Receives every entity read outside a block definition.
    std::unique_ptr<dx_ifaceBlock> mBlock;
    // The blocks of each name, in file order, and the colour of the first layer of each name.
    std::unordered_map<std::string, std::vector<const dx_ifaceBlock*>> blocksByName;
    std::unordered_map<std::string, int> layerColours;

    // The running counts of an import and the blocks being expanded, held to its limits.
    int64_t conversions = 0;
    int64_t points = 0;
    std::vector<const dx_ifaceBlock*> expanding;
};

class dx_iface : public DRW_Interface {
public:
    explicit dx_iface(DxfDrawingData& data) : cData(data), currentBlock(data.mBlock.get()) {}

    void addHeader(const DRW_Header* data) override;
    void addLType(const DRW_LType& data) override { cData.lineTypes.push_back(data); }
    void addLayer(const DRW_Layer& data) override;
    void addDimStyle(const DRW_Dimstyle& data) override { cData.dimStyles.push_back(data); }
    void addVport(const DRW_Vport& data) override { cData.VPorts.push_back(data); }
    void addTextStyle(const DRW_Textstyle& data) override { cData.textStyles.push_back(data); }
    void addAppId(const DRW_AppId& data) override { cData.appIds.push_back(data); }
    void addBlock(const DRW_Block& data) override;
    void setBlock(const int) override {}
    void endBlock() override { currentBlock = cData.mBlock.get(); }
    void addPoint(const DRW_Point& data) override { AddEntity(data); }
    void addLine(const DRW_Line& data) override { AddEntity(data); }
    void addRay(const DRW_Ray& data) override { AddEntity(data); }
    void addXline(const DRW_Xline& data) override { AddEntity(data); }
    void addArc(const DRW_Arc& data) override { AddEntity(data); }
    void addCircle(const DRW_Circle& data) override { AddEntity(data); }
    void addEllipse(const DRW_Ellipse& data) override { AddEntity(data); }
    void addLWPolyline(const DRW_LWPolyline& data) override { AddEntity(data); }
    void addPolyline(const DRW_Polyline& data) override { AddEntity(data); }
    void addSpline(const DRW_Spline* data) override { AddEntity(*data); }
    void addKnot(const DRW_Entity&) override {}
    void addInsert(const DRW_Insert& data) override { AddEntity(data); }
    void addTrace(const DRW_Trace& data) override { AddEntity(data); }
    void add3dFace(const DRW_3Dface& data) override { AddEntity(data); }
    void addSolid(const DRW_Solid& data) override { AddEntity(data); }
    void addMText(const DRW_MText& data) override { AddEntity(data); }
    void addText(const DRW_Text& data) override { AddEntity(data); }
    void addDimAlign(const DRW_DimAligned* data) override { AddEntity(*data); }
    void addDimLinear(const DRW_DimLinear* data) override { AddEntity(*data); }
    void addDimRadial(const DRW_DimRadial* data) override { AddEntity(*data); }
    void addDimDiametric(const DRW_DimDiametric* data) override { AddEntity(*data); }
    void addDimAngular(const DRW_DimAngular* data) override { AddEntity(*data); }
    void addDimAngular3P(const DRW_DimAngular3p* data) override { AddEntity(*data); }
    void addDimOrdinate(const DRW_DimOrdinate* data) override { AddEntity(*data); }
    void addLeader(const DRW_Leader* data) override { AddEntity(*data); }
    void addHatch(const DRW_Hatch* data) override { AddEntity(*data); }
    void addViewport(const DRW_Viewport& data) override { AddEntity(data); }
    void addImage(const DRW_Image* data) override;
    void linkImage(const DRW_ImageDef* data) override;
    void addComment(const char*) override {}
    void addPlotSettings(const DRW_PlotSettings*) override {}

    void writeHeader(DRW_Header& data) override { data = cData.headerC; }
    void writeBlocks() override;
    void writeBlockRecords() override;
    void writeEntities() override;
    void writeLTypes() override;
    void writeLayers() override;
    void writeTextstyles() override;
    void writeVports() override;
    void writeDimstyles() override;
    void writeObjects() override {}
    void writeAppId() override;

    // The writer the write callbacks hand the drawing to; null while reading.
    dxfRW* dxfW = nullptr;

private:
    template <class T>
    void AddEntity(const T& entity)
    {
        currentBlock->ent.push_back(std::make_unique<T>(entity));
    }
    // Hands one stored entity to the writer by its type.
    void WriteEntity(DRW_Entity* e);

    DxfDrawingData& cData;
    dx_ifaceBlock* currentBlock;
};
