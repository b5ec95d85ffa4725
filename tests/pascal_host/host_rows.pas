{ A host's dataset in Pascal, written the way a host application writes
  one: IDataSet and IField of the pharmex unit on TInterfacedObjects over
  rows held in memory as OleVariants, loaded from a CSV file of examples/
  (UTF-8; header cells "name:type" with the types integer, float, date,
  boolean and string(N); an unquoted empty cell is Null). It holds the same
  values, and dumps its rows in the same form, as the C host of the tests
  (tests/c_host/csv_dataset.c), so that the files both make can be compared
  byte for byte. }
unit host_rows;

{$MODE DELPHI}
{$H+}

interface

uses
  Classes, SysUtils, Variants, pharmex;

type
  TColumnKind = (ckInteger, ckFloat, ckDate, ckBoolean, ckString);

  TColumn = record
    Name: WideString;
    Kind: TColumnKind;
    Size: Integer;
  end;

  TRowState = (rsBrowse, rsAppend, rsEdit);

  TRows = class(TInterfacedObject, IDataSet)
  private
    FColumns: array of TColumn;
    FCells: array of array of OleVariant;
    FPending: array of OleVariant;
    FPosition: Integer;
    FState: TRowState;
    procedure AddColumn(const Header: RawByteString);
    procedure AddRow(const Cells: array of RawByteString; const Quoted: array of Boolean);
    function ColumnNamed(const Name: WideString): Integer;
  protected
    { The value a field hands the library; a test host overrides it to hand
      the same value in another form, or to fail. }
    function CellValue(Column: Integer): OleVariant; virtual;
    { The current row's cell, where the value lives. }
    function Cell(Column: Integer): POleVariant;
  public
    constructor Load(const Path: string);
    destructor Destroy; override;
    function ColumnCount: Integer;
    function ColumnAt(Index: Integer): TColumn;
    { Writes the rows, one line per row and "name=value" per column, values
      exactly (numbers as their bits, text as UTF-8). }
    procedure Dump(const Path: string);
    { IDataSet }
    function FieldCount: Integer; stdcall;
    function GetField(Index: Integer): IField; stdcall;
    function FieldByName(Name: PWideChar): IField; stdcall;
    procedure First; stdcall;
    procedure Reserved1; stdcall;
    procedure Next; stdcall;
    procedure Reserved2; stdcall;
    procedure Reserved3; stdcall;
    function Eof: Boolean; stdcall;
    function Locate(KeyFields: PWideChar; const KeyValues: OleVariant;
      Options: TLocateOptions): Boolean; stdcall;
    procedure Append; stdcall;
    procedure Edit; stdcall;
    procedure Post; virtual; stdcall;
    procedure Reserved4; stdcall;
    function RecordCount: Integer; stdcall;
  end;

  TRowField = class(TInterfacedObject, IField)
  private
    FRows: TRows;
    FKeep: IDataSet; { a field keeps its dataset alive }
    FColumn: Integer;
  public
    constructor Create(Rows: TRows; Column: Integer);
    destructor Destroy; override;
    { IField }
    function Name: PWideChar; stdcall;
    function DataType: TFieldType; stdcall;
    function Size: Integer; stdcall;
    function Value: OleVariant; stdcall;
    procedure SetValue(Value: OleVariant); stdcall;
  end;

{ Datasets and fields of this unit still alive. }
function LiveObjects: Integer;

{ Appends text to a file as its bytes (no line-end translation). }
procedure WriteText(Stream: TStream; const Text: RawByteString);
{ A whole file's bytes. }
function ReadBytes(const Path: string): RawByteString;

implementation

var
  Live: Integer = 0;

function LiveObjects: Integer;
begin
  Result := Live;
end;

procedure WriteText(Stream: TStream; const Text: RawByteString);
begin
  if Text <> '' then
    Stream.WriteBuffer(Text[1], Length(Text));
end;

function ReadBytes(const Path: string): RawByteString;
var
  Source: TFileStream;
begin
  Source := TFileStream.Create(Path, fmOpenRead or fmShareDenyWrite);
  try
    SetLength(Result, Source.Size);
    if Result <> '' then
      Source.ReadBuffer(Result[1], Length(Result));
  finally
    Source.Free;
  end;
end;

function Utf8Text(const Bytes: RawByteString): WideString;
begin
  Result := UTF8Decode(Bytes);
end;

{ ---- loading }

constructor TRows.Load(const Path: string);
var
  Text, Cell: RawByteString;
  Cells: array of RawByteString;
  Quoted: array of Boolean;
  I, Line: Integer;
begin
  inherited Create;
  Inc(Live);
  Text := ReadBytes(Path);
  I := 1;
  Line := 0;
  while I <= Length(Text) do
  begin
    SetLength(Cells, 0);
    SetLength(Quoted, 0);
    repeat { one cell }
      SetLength(Cells, Length(Cells) + 1);
      SetLength(Quoted, Length(Quoted) + 1);
      Cell := '';
      Quoted[High(Quoted)] := Text[I] = '"';
      if Quoted[High(Quoted)] then
      begin
        Inc(I);
        while (I <= Length(Text)) and not ((Text[I] = '"') and
          ((I = Length(Text)) or (Text[I + 1] <> '"'))) do
        begin
          if Text[I] = '"' then
            Inc(I); { a doubled quote }
          Cell := Cell + Text[I];
          Inc(I);
        end;
        Inc(I); { the closing quote }
      end
      else
        while (I <= Length(Text)) and not (Text[I] in [',', #10, #13]) do
        begin
          Cell := Cell + Text[I];
          Inc(I);
        end;
      Cells[High(Cells)] := Cell;
      if (I > Length(Text)) or (Text[I] <> ',') then
        Break;
      Inc(I);
    until False;
    if (I <= Length(Text)) and (Text[I] = #13) then
      Inc(I);
    if (I <= Length(Text)) and (Text[I] = #10) then
      Inc(I);
    if Line = 0 then
      for Cell in Cells do
        AddColumn(Cell)
    else
      AddRow(Cells, Quoted);
    Inc(Line);
  end;
  SetLength(FPending, Length(FColumns));
end;

destructor TRows.Destroy;
begin
  Dec(Live);
  inherited Destroy;
end;

procedure TRows.AddColumn(const Header: RawByteString);
var
  Colon: Integer;
  Kind: RawByteString;
  Column: TColumn;
begin
  Colon := LastDelimiter(':', Header);
  if Colon = 0 then
    raise EParserError.Create('not a host CSV header: ' + string(Header));
  Column.Name := Utf8Text(Copy(Header, 1, Colon - 1));
  Column.Size := 0;
  Kind := Copy(Header, Colon + 1, MaxInt);
  if Kind = 'integer' then
    Column.Kind := ckInteger
  else if Kind = 'float' then
    Column.Kind := ckFloat
  else if Kind = 'date' then
    Column.Kind := ckDate
  else if Kind = 'boolean' then
    Column.Kind := ckBoolean
  else if Copy(Kind, 1, 7) = 'string(' then
  begin
    Column.Kind := ckString;
    Column.Size := StrToInt(Copy(Kind, 8, Length(Kind) - 8));
  end
  else
    raise EParserError.Create('unknown column type: ' + string(Kind));
  SetLength(FColumns, Length(FColumns) + 1);
  FColumns[High(FColumns)] := Column;
end;

function CellOf(Kind: TColumnKind; const Text: RawByteString): OleVariant;
var
  Number: Double;
  Code: Integer;
begin
  case Kind of
    ckInteger:
      Result := StrToInt(Text);
    ckFloat:
      begin
        Val(Text, Number, Code);
        if Code <> 0 then
          raise EConvertError.Create('not a number: ' + string(Text));
        Result := Number;
      end;
    ckDate:
      Result := VarFromDateTime(EncodeDate(StrToInt(Copy(Text, 1, 4)),
        StrToInt(Copy(Text, 6, 2)), StrToInt(Copy(Text, 9, 2))));
    ckBoolean:
      Result := (Text = 'true') or (Text = '1');
  else
    Result := Utf8Text(Text);
  end;
end;

procedure TRows.AddRow(const Cells: array of RawByteString; const Quoted: array of Boolean);
var
  Row: array of OleVariant;
  C: Integer;
begin
  if Length(Cells) <> Length(FColumns) then
    raise EParserError.CreateFmt('%d cells in a row of %d columns', [Length(Cells),
      Length(FColumns)]);
  SetLength(Row, Length(FColumns));
  for C := 0 to High(FColumns) do
    if (Cells[C] = '') and not Quoted[C] then
      Row[C] := Null
    else
      Row[C] := CellOf(FColumns[C].Kind, Cells[C]);
  SetLength(FCells, Length(FCells) + 1);
  FCells[High(FCells)] := Row;
end;

function TRows.ColumnCount: Integer;
begin
  Result := Length(FColumns);
end;

function TRows.ColumnAt(Index: Integer): TColumn;
begin
  Result := FColumns[Index];
end;

function TRows.ColumnNamed(const Name: WideString): Integer;
begin
  for Result := 0 to High(FColumns) do
    if WideSameText(FColumns[Result].Name, Name) then
      Exit;
  Result := -1;
end;

{ ---- the dump }

function Hex(const Bits: QWord): UTF8String;
begin
  Result := UTF8String(LowerCase(IntToHex(Bits, 16)));
end;

{ UTF-8 throughout: concatenating texts of other code pages would convert
  them to the system's. }
function CellText(const Value: OleVariant): UTF8String;
var
  Data: TVarData;
begin
  Data := TVarData(Value);
  case Data.VType of
    varEmpty: Result := 'empty';
    varNull: Result := 'null';
    varSmallint: Result := UTF8String(IntToStr(Data.VSmallInt));
    varInteger: Result := UTF8String(IntToStr(Data.VInteger));
    varInt64: Result := UTF8String(IntToStr(Data.VInt64));
    varBoolean:
      if Data.VBoolean then
        Result := 'true'
      else
        Result := 'false';
    varCurrency: Result := 'cy:' + UTF8String(IntToStr(PInt64(@Data.VCurrency)^));
    varDouble: Result := 'r8:' + Hex(PQWord(@Data.VDouble)^);
    varDate: Result := 'date:' + Hex(PQWord(@Data.VDate)^);
    varOleStr: Result := '"' + UTF8Encode(WideString(Value)) + '"';
  else
    Result := 'vt:' + UTF8String(IntToStr(Data.VType));
  end;
end;

procedure TRows.Dump(const Path: string);
var
  Target: TFileStream;
  Row, C: Integer;
  Line: UTF8String;
begin
  Target := TFileStream.Create(Path, fmCreate);
  try
    for Row := 0 to High(FCells) do
    begin
      for C := 0 to High(FColumns) do
      begin
        if C > 0 then
          WriteText(Target, ' ');
        Line := UTF8Encode(FColumns[C].Name);
        Line := Line + '=' + CellText(FCells[Row][C]);
        WriteText(Target, Line);
      end;
      WriteText(Target, #10);
    end;
  finally
    Target.Free;
  end;
end;

{ ---- IDataSet }

function TRows.CellValue(Column: Integer): OleVariant;
begin
  if FState <> rsBrowse then
    Result := FPending[Column]
  else if FPosition <= High(FCells) then
    Result := FCells[FPosition][Column]
  else
    Result := Null;
end;

function TRows.Cell(Column: Integer): POleVariant;
begin
  Result := @FCells[FPosition][Column];
end;

function TRows.FieldCount: Integer;
begin
  Result := Length(FColumns);
end;

function TRows.GetField(Index: Integer): IField;
begin
  if (Index < 0) or (Index > High(FColumns)) then
    raise EListError.Create('List index out of bounds');
  Result := TRowField.Create(Self, Index);
end;

function TRows.FieldByName(Name: PWideChar): IField;
var
  Column: Integer;
begin
  Column := ColumnNamed(Name);
  if Column < 0 then
    Result := nil
  else
    Result := TRowField.Create(Self, Column);
end;

procedure TRows.First;
begin
  FPosition := 0;
end;

procedure TRows.Next;
begin
  if FPosition <= High(FCells) then
    Inc(FPosition);
end;

procedure ReservedCalled;
begin
  raise Exception.Create('reserved slot called');
end;

procedure TRows.Reserved1;
begin
  ReservedCalled;
end;

procedure TRows.Reserved2;
begin
  ReservedCalled;
end;

procedure TRows.Reserved3;
begin
  ReservedCalled;
end;

procedure TRows.Reserved4;
begin
  ReservedCalled;
end;

function TRows.Eof: Boolean;
begin
  Result := FPosition > High(FCells);
end;

{ Numbers compare by value, whatever their type; text exactly. }
function SameCell(const Cell, Key: OleVariant): Boolean;
const
  Numbers = [varSmallint, varInteger, varInt64, varDouble, varDate, varCurrency];
begin
  if (TVarData(Cell).VType in Numbers) and (TVarData(Key).VType in Numbers) then
    Result := Double(Cell) = Double(Key)
  else if (TVarData(Cell).VType = varOleStr) and (TVarData(Key).VType = varOleStr) then
    Result := WideString(Cell) = WideString(Key)
  else
    Result := False;
end;

function TRows.Locate(KeyFields: PWideChar; const KeyValues: OleVariant;
  Options: TLocateOptions): Boolean;
var
  Names: WideString;
  Columns: array of Integer;
  Row, K, Split: Integer;
  Wanted: OleVariant;
begin
  Result := False;
  SetLength(Columns, 0);
  Names := KeyFields;
  repeat
    Split := Pos(WideString(';'), Names);
    if Split = 0 then
      Split := Length(Names) + 1;
    SetLength(Columns, Length(Columns) + 1);
    Columns[High(Columns)] := ColumnNamed(Copy(Names, 1, Split - 1));
    if Columns[High(Columns)] < 0 then
      Exit;
    Delete(Names, 1, Split);
  until Names = '';
  if (Length(Columns) > 1) and not (VarIsArray(KeyValues) and
    (VarArrayHighBound(KeyValues, 1) - VarArrayLowBound(KeyValues, 1) + 1 = Length(Columns))) then
    Exit;
  for Row := 0 to High(FCells) do
  begin
    Result := True;
    for K := 0 to High(Columns) do
    begin
      if Length(Columns) > 1 then
        Wanted := KeyValues[VarArrayLowBound(KeyValues, 1) + K]
      else
        Wanted := KeyValues;
      Result := Result and SameCell(FCells[Row][Columns[K]], Wanted);
    end;
    if Result then
    begin
      FPosition := Row;
      Exit;
    end;
  end;
  Result := False;
end;

procedure TRows.Append;
var
  C: Integer;
begin
  for C := 0 to High(FPending) do
    FPending[C] := Null;
  FState := rsAppend;
end;

procedure TRows.Edit;
var
  C: Integer;
begin
  if FPosition > High(FCells) then
    raise Exception.Create('Cannot edit at the end of the dataset');
  for C := 0 to High(FPending) do
    FPending[C] := FCells[FPosition][C];
  FState := rsEdit;
end;

procedure TRows.Post;
begin
  if FState = rsBrowse then
    raise Exception.Create('Dataset not in edit or insert mode');
  if FState = rsAppend then
  begin
    SetLength(FCells, Length(FCells) + 1);
    FPosition := High(FCells);
  end;
  FCells[FPosition] := Copy(FPending);
  FState := rsBrowse;
end;

function TRows.RecordCount: Integer;
begin
  Result := Length(FCells);
end;

{ ---- IField }

constructor TRowField.Create(Rows: TRows; Column: Integer);
begin
  inherited Create;
  Inc(Live);
  FRows := Rows;
  FKeep := Rows;
  FColumn := Column;
end;

destructor TRowField.Destroy;
begin
  Dec(Live);
  inherited Destroy;
end;

function TRowField.Name: PWideChar;
begin
  Result := PWideChar(FRows.FColumns[FColumn].Name);
end;

function TRowField.DataType: TFieldType;
begin
  case FRows.FColumns[FColumn].Kind of
    ckInteger: Result := ftInteger;
    ckFloat: Result := ftFloat;
    ckDate: Result := ftDate;
    ckBoolean: Result := ftBoolean;
  else
    Result := ftString;
  end;
end;

function TRowField.Size: Integer;
begin
  Result := FRows.FColumns[FColumn].Size;
end;

function TRowField.Value: OleVariant;
begin
  Result := FRows.CellValue(FColumn);
end;

procedure TRowField.SetValue(Value: OleVariant);
begin
  if FRows.FState = rsBrowse then
    raise Exception.Create('Dataset not in edit or insert mode');
  FRows.FPending[FColumn] := Value;
end;

end.
