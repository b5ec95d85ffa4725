{ Hosts that test the pharmex unit's edges, written in objfpc mode (the
  rows of host_rows, which is in Delphi mode, handed over differently):
  the same values in the other forms a Pascal host's variants take, and
  host methods that raise. }
unit test_rows;

{$MODE OBJFPC}
{$H+}
{$CODEPAGE UTF8}

interface

uses
  SysUtils, Variants, pharmex, host_rows;

type
  { The price list's values in the other forms a Pascal host's variants
    take: ShortInt, Byte, Word, LongWord and QWord numbers, a Single, an
    AnsiString (varString) that no OLE function knows, and references
    (varByRef) to a double and to a BSTR. (A UnicodeString variant,
    varUString, Free Pascal 3.2.2 cannot copy: "Invalid variant type" at
    the first assignment, so none of its hosts hands one over; Delphi's
    hosts do.) }
  TTypedRows = class(TRows)
  protected
    function CellValue(Column: Integer): OleVariant; override;
  end;

  TFailure = (
    fValue,          { Value of one column raises, from the second row on }
    fPost,           { Post raises }
    fNotAnException  { Value raises an object that is no Exception }
  );

  TFailingRows = class(TRows)
  private
    FFailure: TFailure;
    FColumn: WideString;
    FMessage: string;
    FValues: Integer;
  protected
    function CellValue(Column: Integer): OleVariant; override;
  public
    constructor Create(const Path: string; Failure: TFailure; const Column: WideString;
      const Message: string);
    procedure Post; override; stdcall;
  end;

implementation

{ A Variant handed on as an OleVariant as it is, as a host that keeps its
  values in Variants may do: an assignment would make OLE's types of
  ShortInt, Byte, Word, LongWord and AnsiString values, the move keeps the
  compiler's. }
function AsOle(const Value: Variant): OleVariant;
var
  Copy: Variant;
begin
  Copy := Value;
  Result := Unassigned;
  Move(TVarData(Copy), TVarData(Result), SizeOf(TVarData));
  FillChar(TVarData(Copy), SizeOf(TVarData), 0);
end;

{ A Single variant, which the compiler makes from no assignment (a Single
  becomes a varDouble): built in place. }
function SingleVariant(Value: Single): OleVariant;
begin
  Result := Unassigned;
  TVarData(Result).VSingle := Value;
  TVarData(Result).VType := varSingle;
end;

{ A reference (varByRef) to the value of a cell. }
function Referenced(Cell: POleVariant): OleVariant;
begin
  Result := Unassigned;
  TVarData(Result).VType := TVarData(Cell^).VType or varByRef;
  TVarData(Result).VPointer := @TVarData(Cell^).VDouble; { the payload, whatever its type }
end;

function Expect(const Value: OleVariant; VType: TVarType): OleVariant;
begin
  if TVarData(Value).VType <> VType then
    raise Exception.CreateFmt('the compiler made type $%.4x, not $%.4x',
      [TVarData(Value).VType, VType]);
  Result := Value;
end;

function TTypedRows.CellValue(Column: Integer): OleVariant;
var
  Name: WideString;
  Plain: OleVariant;
begin
  Plain := inherited CellValue(Column);
  Name := ColumnAt(Column).Name;
  if VarIsNull(Plain) then
    Result := Plain
  else if Name = 'suppliers_id' then
    Result := Expect(AsOle(ShortInt(Plain)), varShortInt)
  else if Name = 'art_id' then
    Result := Expect(AsOle(LongWord(Plain)), varLongWord)
  else if Name = 'box' then
    Result := SingleVariant(Double(Plain))
  else if Name = 'nds' then
    Result := Expect(AsOle(Word(Round(Double(Plain)))), varWord)
  else if Name = 'remainder' then
    Result := Expect(QWord(Round(Double(Plain))), varQWord)
  else if Name = 'remainder_wait' then
    Result := Expect(AsOle(Byte(Round(Double(Plain)))), varByte)
  else if Name = 'art_name' then
    Result := Expect(AsOle(AnsiString(WideString(Plain))), varString)
  else if (Name = 'price') or (Name = 'groups1_name') then
    Result := Referenced(Cell(Column))
  else
    Result := Plain;
end;

constructor TFailingRows.Create(const Path: string; Failure: TFailure;
  const Column: WideString; const Message: string);
begin
  inherited Load(Path);
  FFailure := Failure;
  FColumn := Column;
  FMessage := Message;
end;

function TFailingRows.CellValue(Column: Integer): OleVariant;
begin
  if (FFailure in [fValue, fNotAnException]) and (ColumnAt(Column).Name = FColumn) then
  begin
    Inc(FValues);
    if FValues > 1 then
      if FFailure = fValue then
        raise EConvertError.Create(FMessage)
      else
        raise TObject.Create;
  end;
  Result := inherited CellValue(Column);
end;

procedure TFailingRows.Post; stdcall;
begin
  if FFailure = fPost then
    raise Exception.Create(FMessage);
  inherited Post;
end;

end.
